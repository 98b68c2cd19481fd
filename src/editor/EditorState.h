#pragma once

#include "EditorControls.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>

// The values of the company and program editor: one slot per control (text
// for edits and list boxes, lines for memos, a date for date pickers, items
// for list boxes), the site effects check box, the six date parts of a PAD
// import and the two change marks. The window shows these values and reports
// the user's edits back; the editor's commands work on them alone.
class EditorState {
public:
    // Who changed a control: the user, or the editor's own code.
    enum class Origin { User, Editor };

    EditorState();

    QString text(EditorControl::Id id) const;
    QStringList lines(EditorControl::Id id) const;
    // An invalid date stands for "no date".
    QDate date(EditorControl::Id id) const;
    QStringList items(EditorControl::Id id) const;

    // Each setter changes nothing when the value is the one already held.
    // A change sets the marks: any change of a company edit sets
    // companyChanged; any change of a program or description edit or memo sets
    // programChanged, and so does a change of a program list box or date
    // picker made by the user. The name box and the company box set no mark.
    void setText(EditorControl::Id id, const QString& text, Origin origin);
    void setLines(EditorControl::Id id, const QStringList& lines, Origin origin);
    void setDate(EditorControl::Id id, const QDate& date, Origin origin);
    void setItems(EditorControl::Id id, const QStringList& items);
    void appendItem(EditorControl::Id id, const QString& item);
    // Removes every item equal to text.
    void removeItems(EditorControl::Id id, const QString& text);

    // A memo's value in the catalogue: each line followed by CR LF.
    static QString joinLines(const QStringList& lines);
    // The catalogue's value split at its line breaks.
    static QStringList splitValue(const QString& value);

    // The values of one group's controls as a save would store them (memos
    // joined, dates in ISO form, an empty text for no date), in Id order.
    // Two snapshots are equal exactly when a save would store the same values.
    using Snapshot = QStringList;
    Snapshot snapshot(EditorControl::Group group) const;

    // Everything the editor shows: every control's value and items, the
    // site effects mark, the change marks and the date parts.
    struct Values {
        std::array<QString, EditorControl::Count> texts;
        std::array<QStringList, EditorControl::Count> lines;
        std::array<QDate, EditorControl::Count> dates;
        std::array<QStringList, EditorControl::Count> items;
        bool siteEffects = true;
        bool companyChanged = false;
        bool programChanged = false;
        QStringList dateParts;
    };
    Values values() const;
    // Puts back values taken earlier; the listener hears of every control
    // whose value or items differ from the ones held.
    void restore(const Values& values);

    // Called after every change of a control's value or items.
    void setChangeListener(std::function<void(EditorControl::Id)> listener) { m_listener = std::move(listener); }

    bool siteEffects = true;
    bool companyChanged = false;
    bool programChanged = false;

    QString releaseYear;
    QString releaseMonth;
    QString releaseDay;
    QString expireYear;
    QString expireMonth;
    QString expireDay;

    static QStringList defaultLicenseItems();
    static QStringList defaultInstallItems();
    static QStringList defaultOSItems();

private:
    void changed(EditorControl::Id id, Origin origin);
    void notify(EditorControl::Id id);

    static size_t slot(EditorControl::Id id) { return static_cast<size_t>(id); }

    std::array<QString, EditorControl::Count> m_texts;
    std::array<QStringList, EditorControl::Count> m_lines;
    std::array<QDate, EditorControl::Count> m_dates;
    std::array<QStringList, EditorControl::Count> m_items;
    std::function<void(EditorControl::Id)> m_listener;
};
