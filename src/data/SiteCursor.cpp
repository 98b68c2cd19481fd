#include "SiteCursor.h"

#include "Sql.h"

#include <QSqlRecord>

SiteCursor::SiteCursor(QObject* parent)
    : QObject(parent)
{ }

void SiteCursor::attach(const QSqlDatabase& db)
{
    m_db = db;
    m_open = true;
    m_columns.clear();
    m_columnIndex.clear();
    QSqlQuery query = Sql::exec(m_db, QStringLiteral("SELECT * FROM Sites.Sites LIMIT 0"));
    const QSqlRecord record = query.record();
    for (int i = 0; i < record.count(); ++i) {
        m_columns.append(record.fieldName(i));
        m_columnIndex.insert(record.fieldName(i).toCaseFolded(), i);
    }
    m_nameColumn = std::max(0, columnIndex(QStringLiteral("SiteName")));
    m_filter = FilterExpression::parse(m_filterText, m_columns);
}

void SiteCursor::detach()
{
    m_open = false;
    m_db = QSqlDatabase();
    m_rows.clear();
    m_current = -1;
    Q_EMIT rowsReset();
    Q_EMIT currentChanged(m_current);
}

QString SiteCursor::setFilter(const QString& text)
{
    if (!m_open) {
        // Checked against the columns once the table is open.
        m_filterText = text;
        return QString();
    }
    const FilterExpression filter = FilterExpression::parse(text, m_columns);
    if (!filter.isValid())
        return filter.errorText();
    m_filterText = text;
    m_filter = filter;
    return QString();
}

void SiteCursor::setFiltered(bool on)
{
    m_filtered = on;
}

void SiteCursor::refresh()
{
    if (!m_open)
        return;
    const QString keep = currentSiteName();
    const int keepIndex = m_current;
    QString sql = QStringLiteral("SELECT * FROM Sites.Sites");
    QVariantList parameters;
    if (m_filtered) {
        sql += QStringLiteral(" WHERE ") + m_filter.sql();
        parameters = m_filter.parameters();
    }
    sql += QStringLiteral(" ORDER BY SiteName COLLATE NOCASE, SiteName");
    QSqlQuery query = Sql::exec(m_db, sql, parameters);
    const int columnCount = static_cast<int>(m_columns.size());
    QVector<QVector<QVariant>> rows;
    while (query.next()) {
        QVector<QVariant> row(columnCount);
        for (int i = 0; i < columnCount; ++i)
            row[i] = query.value(i);
        rows.append(std::move(row));
    }
    m_rows = std::move(rows);

    int current = -1;
    if (!m_rows.isEmpty()) {
        current = std::clamp(keepIndex, 0, count() - 1);
        for (int i = 0; i < count() && !keep.isNull(); ++i) {
            if (siteNameAt(i) == keep) {
                current = i;
                break;
            }
        }
    }
    m_current = current;
    Q_EMIT rowsReset();
    Q_EMIT currentChanged(m_current);
}

void SiteCursor::setCurrent(int index)
{
    if (m_rows.isEmpty())
        index = -1;
    else
        index = std::clamp(index, 0, count() - 1);
    if (index == m_current)
        return;
    m_current = index;
    Q_EMIT currentChanged(m_current);
}

void SiteCursor::first()
{
    setCurrent(0);
}

void SiteCursor::next()
{
    setCurrent(m_current + 1);
}

void SiteCursor::prior()
{
    setCurrent(m_current - 1);
}

void SiteCursor::moveTo(int index)
{
    setCurrent(index);
}

bool SiteCursor::locate(const QString& siteName)
{
    for (int i = 0; i < count(); ++i) {
        if (siteNameAt(i) == siteName) {
            setCurrent(i);
            return true;
        }
    }
    return false;
}

int SiteCursor::columnIndex(const QString& name) const
{
    return m_columnIndex.value(name.toCaseFolded(), -1);
}

QVariant SiteCursor::value(int row, int column) const
{
    if (row < 0 || row >= count() || column < 0 || column >= m_columns.size())
        return QVariant();
    return m_rows.at(row).at(column);
}

QString SiteCursor::siteNameAt(int row) const
{
    if (row < 0 || row >= count())
        return QString();
    return m_rows.at(row).at(m_nameColumn).toString();
}

void SiteCursor::setCurrentValue(const QString& field, const QVariant& newValue)
{
    const int column = columnIndex(field);
    if (m_current < 0 || column < 0)
        return;
    m_rows[m_current][column] = newValue;
    Q_EMIT rowChanged(m_current);
}
