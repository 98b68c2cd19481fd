#pragma once

#include "FilterExpression.h"

#include <QHash>
#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

// The rows of the Sites table that pass the site filter, in site name order
// (without regard to case, then exactly), with a current row.
//
// The cursor never reads the whole table at once. It learns the rows' keys
// (name and row id) a page at a time, walking the table's name-order index
// from the last key it knows, and reads a row's values only when they are
// asked for, a page of rows at a time; only the most recently used pages stay
// in memory. So opening a large table costs one page, and a list view that
// shows twenty rows reads only those. Every public function behaves as if all
// rows were there: count() and a look at a row beyond the known keys read the
// keys up to there first.
class SiteCursor : public QObject {
    Q_OBJECT
public:
    // Keys read by one step of the walk; values are read in pages of PageRows.
    static constexpr int KeyBatch = 256;
    static constexpr int PageRows = 128;
    // Pages of values kept in memory at most.
    static constexpr int CachedPages = 64;

    explicit SiteCursor(QObject* parent = nullptr);

    // Points the cursor at a connection whose Sites table is open.
    void attach(const QSqlDatabase& db);
    void detach();
    bool isOpen() const { return m_open; }

    // The filter text in force; set by setFilter. Returns the parse error text,
    // empty when the filter was accepted (an invalid filter leaves the current one).
    QString setFilter(const QString& text);
    const QString& filterText() const { return m_filterText; }

    // Filtering off: every row takes part.
    void setFiltered(bool on);
    bool isFiltered() const { return m_filtered; }
    // The filter in force as a parsed condition (passes every row when not filtered).
    const FilterExpression& filter() const { return m_filtered ? m_filter : m_noFilter; }

    // Reads the rows again; the current row stays on the same site when it
    // still passes the filter, otherwise on the row now at its position.
    void refresh();

    // Every row that passes the filter (reads every key not known yet).
    int count() const;
    bool isEmpty() const { return !hasRow(0); }
    int currentIndex() const { return m_current; } // -1 when empty

    // The rows whose keys are known so far, and whether more may follow.
    int fetchedCount() const { return static_cast<int>(m_rowIds.size()); }
    bool canFetchMore() const { return m_open && !m_complete; }
    // Reads up to rows more keys; rowsFetched tells which rows came.
    void fetchMore(int rows = KeyBatch);
    // True when row exists (reads keys up to it when needed).
    bool hasRow(int row) const;

    void first();
    void next();
    void prior();
    void moveTo(int index);
    // Moves to the site named siteName; false (and no move) when it is not listed.
    bool locate(const QString& siteName);

    // A bookmark is the site's name; returning to a site that left the list moves nowhere.
    QString bookmark() const { return currentSiteName(); }
    void gotoBookmark(const QString& bookmark) { locate(bookmark); }

    QStringList columns() const { return m_columns; }
    int columnIndex(const QString& name) const; // without regard to case; -1 when unknown

    QVariant value(int row, int column) const;
    QVariant value(int row, const QString& field) const { return value(row, columnIndex(field)); }
    QString text(int row, const QString& field) const { return value(row, field).toString(); }
    bool flag(int row, const QString& field) const { return value(row, field).toInt() != 0; }
    // The row's site name, from its key: no values are read.
    QString siteNameAt(int row) const;

    QVariant field(const QString& name) const { return value(m_current, name); }
    QString currentSiteName() const { return siteNameAt(m_current); }

    // Keeps the in-memory copy of the current row in step with a write.
    void setCurrentValue(const QString& field, const QVariant& value);

Q_SIGNALS:
    // The current row moved (or the rows were read again).
    void currentChanged(int index);
    // The rows were read again.
    void rowsReset();
    // Values of one row changed.
    void rowChanged(int index);
    // The keys of rows first to last became known (appended at the end).
    void rowsFetched(int first, int last);

private:
    using Row = QVector<QVariant>;

    void setCurrent(int index);
    // Reads up to limit more keys (all when limit < 0); false when none came.
    // A failing read ends the rows; it raises QuilletError only when raise is set.
    bool fetchKeys(int limit, bool raise = false) const;
    // The row's index among the known keys, reading more until found; -1 when
    // the site does not pass the filter.
    int findRow(const QString& siteName) const;
    bool passesFilter(const QString& siteName) const;
    const Row* cachedRow(int row) const;
    void clearRows();

    QSqlDatabase m_db;
    bool m_open = false;
    bool m_filtered = true;
    QString m_filterText;
    FilterExpression m_filter;
    FilterExpression m_noFilter;
    QStringList m_columns;
    QHash<QString, int> m_columnIndex; // case-folded name -> column
    int m_nameColumn = 0;
    int m_current = -1;

    // What is known of the rows; reading more does not change what the
    // cursor shows, so it happens in const functions too.
    mutable QVector<qint64> m_rowIds;
    mutable QVector<QString> m_names;
    mutable bool m_complete = false;
    mutable bool m_lastKeyNull = false;       // the last key known has no name (SQL NULL)
    mutable bool m_announce = true;           // rowsFetched is sent (not while refreshing)
    mutable QHash<int, QVector<Row>> m_pages; // page number -> the page's rows
};
