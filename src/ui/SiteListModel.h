#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QFont>
#include <QString>
#include <QTimer>

#include <optional>

class Settings;
class SubmissionDatabase;

// The site selector's grid: the filtered Sites rows of the data module's
// cursor, in its order, with the columns SiteName and Hide. Cells are read
// from the cursor (which reads the table a page at a time) and the current
// program's in-memory flags when the view asks for them.
//
// The grid starts with the rows whose keys the cursor knows (the first page)
// and grows as more become known: when the view scrolls to the end
// (fetchMore), when the cursor reads further for a command, and in the
// background: a moment after the rows were (re)read, a batch at a time
// between events, until every row is there.
//
// With the setting SiteEffects on, each row carries the look that tells the
// program's progress with the site and the kind of site, through the
// foreground, font and background roles. The rules apply in this order:
//   1. Published          -> red text
//   2. VelmoraFriendly    -> bold
//   3. Pad                -> italic
//   4. Ftp                -> underline
//   5. Submitted          -> silver background (SiteListDelegate leaves it
//                            out of the highlighted cell)
//   6. NotApplicable      -> strike-out alone, grey text
class SiteListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { SiteNameColumn = 0, HideColumn = 1, ColumnCount = 2 };

    static QColor publishedColour() { return QColor(255, 0, 0); }
    static QColor submittedBackground() { return QColor(192, 192, 192); }
    static QColor notApplicableColour() { return QColor(128, 128, 128); }

    // The look of one site's cells; unset parts keep the grid's own look.
    struct CellStyle {
        std::optional<QColor> foreground;
        std::optional<QColor> background;
        // Only the style attributes the rules set are marked as set
        // (QFont::resolveMask), so the grid's family and size stay.
        std::optional<QFont> font;
    };

    SiteListModel(SubmissionDatabase& dm, const Settings& config, QObject* parent = nullptr);

    // Keys read per step of the background walk, and the pause before its
    // first step.
    static constexpr int BackgroundBatch = 2048;
    static constexpr int BackgroundDelayMs = 250;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // The column titles take a translation; the fields they show stay the same.
    bool setHeaderData(
        int section, Qt::Orientation orientation, const QVariant& value, int role = Qt::EditRole) override;
    // The cells' translated words changed (True and False of the Hide column).
    void languageChanged();
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The rules in force for a row; everything unset when SiteEffects is off.
    CellStyle cellStyle(int row) const;

    // The site's notes followed by the hints of its attributes, each hint
    // translated and joined with a comma and no blank.
    QString infoText(int row) const;
    // "na" for 0, that many asterisks for a positive rating, nothing below 0.
    static QString ratingStars(int rating);
    // text + "," + hint, or hint alone when text is empty.
    static QString joinWithComma(const QString& text, const QString& hint);

    // Every row's look again (the current program or SiteEffects changed).
    void restyleAll();

private:
    struct Columns {
        int siteName = -1;
        int hide = -1;
        int notes = -1;
        int velmoraFriendly = -1;
        int pollsPad = -1;
        int pad = -1;
        int ftp = -1;
        int antiFreeSpeech = -1;
        int rating = -1;
    };

    void cacheColumns();
    bool siteFlag(int row, int column) const;
    void resetRows();
    void rowsFetched(int first, int last);
    void currentMoved(int index);
    void startBackgroundFetch();
    void scheduleBackgroundFetch();

    SubmissionDatabase& m_dm;
    const Settings& m_config;
    Columns m_columns;
    int m_rows = 0; // the cursor's rows the grid shows
    int m_indicatorRow = -1;
    QStringList m_titles {QStringLiteral("SiteName"), QStringLiteral("Hide")};
    QTimer* m_background;
};
