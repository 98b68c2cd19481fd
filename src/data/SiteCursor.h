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
// (without regard to case), with a current row. The rows are read into memory
// in one query, so grids and look-ups of any row cost no query; refresh()
// reads them again after the table changed.
class SiteCursor : public QObject {
    Q_OBJECT
public:
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

    // Reads the rows again; the current row stays on the same site when it
    // still passes the filter, otherwise on the row now at its position.
    void refresh();

    int count() const { return static_cast<int>(m_rows.size()); }
    bool isEmpty() const { return m_rows.isEmpty(); }
    int currentIndex() const { return m_current; } // -1 when empty

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

private:
    void setCurrent(int index);

    QSqlDatabase m_db;
    bool m_open = false;
    bool m_filtered = true;
    QString m_filterText;
    FilterExpression m_filter;
    QStringList m_columns;
    QHash<QString, int> m_columnIndex; // case-folded name -> column
    int m_nameColumn = 0;
    QVector<QVector<QVariant>> m_rows;
    int m_current = -1;
};
