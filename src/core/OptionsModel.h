#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

class PropertyCatalogue;
class Settings;

// The values of the options dialog, one struct per page, and the rules that
// move them between the settings store, the property catalogue and the
// dialog. Each page has one read and one apply function (OptionsModel.cpp),
// so a new control of a page is added in exactly two places here and two in
// the window.
//
// Nothing here writes quillet.ini: the settings reach the file at the next
// Settings::saveSettings().
class OptionsModel {
public:
    static constexpr const char* DeadAndHiddenConditions = "Dead=False AND Hide=False";

    struct GeneralPage {
        bool autoFillFormFields = true;
        QString siteRank = QStringLiteral("0");
        bool padEnabled = false;
        bool padPolling = false;
        // [Config] UpdateServer: empty for none.
        QString updateServer;
    };

    struct MailPage {
        QString smtpHost;
        QString defaultFrom;
        bool authentication = false;
        QString loginId;
        QString password;
        int port = 25;
        // "none", "starttls" or "tls"; another stored text is kept as it is.
        QString security = QStringLiteral("none");
    };

    struct BrowserMenuPage {
        // 0 the browser's own menu, 1 Power Paste, 2 Quick Paste; -1 when the
        // stored index names none of them (applying then keeps the stored index).
        int contextMenuIndex = 1;
    };

    struct PowerPastePage {
        // One item per catalogue entry, in index order: the untranslated
        // caption (empty for the separator entry) and its tick.
        QStringList captions;
        QVector<bool> included;
        QString itemsPerColumn;
    };

    // The box a validation problem names.
    enum class Field { None, SiteRank, ItemsPerColumn, UpdateServer };

    struct Problem {
        Field field = Field::None;
        QString message;
        bool isNone() const { return field == Field::None; }
    };

    // What apply() changed beyond the settings' fields.
    struct Applied {
        // SiteFilter was set: the site list must be filtered again now.
        bool siteFilterChanged = false;
    };

    // The values the dialog opens with.
    static OptionsModel read(const Settings& config, const PropertyCatalogue& properties);

    // Checks the rank box, the update server and "Items per column". The
    // first problem found is returned, with a message that names the box;
    // none when all are fine. An empty update server is fine (none is set).
    Problem validate() const;

    // Validates, then writes every page into the settings and the catalogue.
    // On a problem nothing at all is written and the problem is returned.
    Problem apply(Settings& config, PropertyCatalogue& properties, Applied* applied = nullptr) const;

    // The rank a rank box's text gives: its first integer (0 when it holds no
    // digits); nothing for a text whose integer does not convert ("-" at the
    // end, or a number beyond 32 bits).
    static std::optional<qint64> rankOf(const QString& text);
    // The rank box's text after the box is left: the decimal text of its
    // rank, or the text unchanged when it gives none.
    static QString normalisedRank(const QString& text);
    // "Items per column" as a number: a whole decimal number of 1 or more
    // (blanks around it allowed), nothing otherwise.
    static std::optional<int> itemsPerColumnOf(const QString& text);

    // The site filter's conditions before the dead-and-hidden ones: a rank
    // above 1 gives "(Rating > <rank> OR Rating = Null)", in parentheses so
    // that the conditions after it bind every site, then "PAD=True" and
    // "PollsPAD=True" for the ticked boxes, joined by " AND ".
    static QString composeFilterConditions(qint64 rank, bool padEnabled, bool padPolling);
    // The filter holds the condition "PAD=True" itself, not only as the end
    // of "PollsPAD=True".
    static bool filterHoldsPad(const QString& filter);

    // The usual port of a mail security choice: 25 for "none", 587 for
    // "starttls", 465 for "tls"; 0 for any other text.
    static int standardPort(const QString& security);
    // The port after the security choice changed from one to another: the
    // new choice's usual port when port was the old choice's, port otherwise.
    static int portAfterSecurityChange(int port, const QString& from, const QString& to);

    GeneralPage general;
    MailPage mail;
    BrowserMenuPage browserMenu;
    PowerPastePage powerPaste;
};
