#include "SiteCursor.h"

#include "QuilletError.h"
#include "Sql.h"

#include <QSqlRecord>

namespace {

const QString kOrder = QStringLiteral(" ORDER BY SiteName COLLATE NOCASE, SiteName, rowid");

// A bound null QString is an SQL NULL; a key that is an empty text must stay one.
QString nonNull(const QString& text)
{
    return text.isNull() ? QStringLiteral("") : text;
}

} // namespace

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
    clearRows();
}

void SiteCursor::detach()
{
    m_open = false;
    m_db = QSqlDatabase();
    clearRows();
    m_current = -1;
    Q_EMIT rowsReset();
    Q_EMIT currentChanged(m_current);
}

void SiteCursor::clearRows()
{
    m_rowIds.clear();
    m_names.clear();
    m_pages.clear();
    m_complete = !m_open;
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

bool SiteCursor::fetchKeys(int limit, bool raise) const
{
    if (!m_open || m_complete)
        return false;
    QString sql = QStringLiteral("SELECT rowid, SiteName FROM Sites.Sites WHERE ");
    QVariantList parameters;
    if (m_filtered) {
        sql += QLatin1Char('(') + m_filter.sql() + QLatin1Char(')');
        parameters = m_filter.parameters();
    } else {
        sql += QLatin1Char('1');
    }
    // Go on after the last key known, in the order of the name index: null
    // names first (by row id), then names without regard to case, then exactly.
    if (!m_rowIds.isEmpty()) {
        if (m_lastKeyNull) {
            sql += QStringLiteral(" AND (SiteName IS NOT NULL OR rowid > ?)");
            parameters << m_rowIds.last();
        } else {
            const QString last = nonNull(m_names.last());
            sql += QStringLiteral(" AND SiteName COLLATE NOCASE >= ? AND (SiteName COLLATE NOCASE > ? OR SiteName > ? "
                                  "OR (SiteName = ? AND rowid > ?))");
            parameters << last << last << last << last << m_rowIds.last();
        }
    }
    sql += kOrder;
    if (limit >= 0)
        sql += QStringLiteral(" LIMIT %1").arg(limit);

    const int first = fetchedCount();
    int got = 0;
    try {
        QSqlQuery query = Sql::exec(m_db, sql, parameters);
        while (query.next()) {
            const QVariant name = query.value(1);
            m_rowIds.append(query.value(0).toLongLong());
            m_names.append(name.toString());
            m_lastKeyNull = name.isNull();
            ++got;
        }
    } catch (const QuilletError& error) {
        // A view asking for a row cannot take an exception: the rows end here.
        m_complete = true;
        if (raise)
            throw;
        qWarning("The site list could not be read further: %s", qPrintable(error.text()));
        return false;
    }
    if (limit < 0 || got < limit)
        m_complete = true;
    if (got > 0 && m_announce)
        Q_EMIT const_cast<SiteCursor*>(this)->rowsFetched(first, first + got - 1);
    return got > 0;
}

int SiteCursor::count() const
{
    if (!m_complete)
        fetchKeys(-1);
    return fetchedCount();
}

void SiteCursor::fetchMore(int rows)
{
    fetchKeys(std::max(1, rows));
}

bool SiteCursor::hasRow(int row) const
{
    if (row < 0)
        return false;
    while (row >= fetchedCount() && !m_complete)
        fetchKeys(std::max(KeyBatch, row - fetchedCount() + 1));
    return row < fetchedCount();
}

bool SiteCursor::passesFilter(const QString& siteName) const
{
    QString sql = QStringLiteral("SELECT count(*) FROM Sites.Sites WHERE SiteName = ?");
    QVariantList parameters {nonNull(siteName)};
    if (m_filtered) {
        sql += QStringLiteral(" AND (") + m_filter.sql() + QLatin1Char(')');
        parameters += m_filter.parameters();
    }
    try {
        return Sql::scalar(m_db, sql, parameters).toInt() > 0;
    } catch (const QuilletError& error) {
        qWarning("The site list could not be read: %s", qPrintable(error.text()));
        return false;
    }
}

int SiteCursor::findRow(const QString& siteName) const
{
    int from = 0;
    for (;;) {
        for (int i = from; i < fetchedCount(); ++i) {
            if (m_names.at(i) == siteName)
                return i;
        }
        if (m_complete || !m_open)
            return -1;
        // Only a site that is listed is worth reading the keys up to it.
        if (from == 0 && !passesFilter(siteName))
            return -1;
        from = fetchedCount();
        if (!fetchKeys(KeyBatch * 8))
            return -1;
    }
}

void SiteCursor::refresh()
{
    if (!m_open)
        return;
    const QString keep = currentSiteName();
    const int keepIndex = m_current;
    clearRows();
    m_announce = false;
    int current = -1;
    try {
        fetchKeys(KeyBatch, true);
        if (!m_rowIds.isEmpty()) {
            current = keep.isNull() ? -1 : findRow(keep);
            if (current < 0) {
                current = std::max(keepIndex, 0);
                if (!hasRow(current))
                    current = fetchedCount() - 1;
            }
        }
    } catch (...) {
        m_announce = true;
        m_current = -1;
        Q_EMIT rowsReset();
        Q_EMIT currentChanged(m_current);
        throw;
    }
    m_announce = true;
    m_current = current;
    Q_EMIT rowsReset();
    Q_EMIT currentChanged(m_current);
}

void SiteCursor::setCurrent(int index)
{
    if (!hasRow(0))
        index = -1;
    else if (index < 0)
        index = 0;
    else if (!hasRow(index))
        index = fetchedCount() - 1;
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
    const int row = findRow(siteName);
    if (row < 0)
        return false;
    setCurrent(row);
    return true;
}

int SiteCursor::columnIndex(const QString& name) const
{
    return m_columnIndex.value(name.toCaseFolded(), -1);
}

const SiteCursor::Row* SiteCursor::cachedRow(int row) const
{
    if (!hasRow(row))
        return nullptr;
    const int page = row / PageRows;
    const int offset = row % PageRows;
    auto found = m_pages.constFind(page);
    if (found != m_pages.constEnd() && offset < found->size())
        return &found->at(offset);

    // Read the page's rows by row id; a row gone from the table meanwhile
    // keeps its name and has no values.
    const int start = page * PageRows;
    const int end = std::min(fetchedCount(), start + PageRows);
    QHash<qint64, int> slot;
    QVariantList parameters;
    QStringList marks;
    for (int i = start; i < end; ++i) {
        slot.insert(m_rowIds.at(i), i - start);
        parameters << m_rowIds.at(i);
        marks << QStringLiteral("?");
    }
    QVector<Row> rows(end - start, Row(m_columns.size()));
    for (int i = start; i < end; ++i)
        rows[i - start][m_nameColumn] = m_names.at(i);
    try {
        QSqlQuery query = Sql::exec(m_db,
            QStringLiteral("SELECT rowid, * FROM Sites.Sites WHERE rowid IN (%1)").arg(marks.join(QLatin1Char(','))),
            parameters);
        const int columnCount = static_cast<int>(m_columns.size());
        while (query.next()) {
            Row& values = rows[slot.value(query.value(0).toLongLong())];
            for (int c = 0; c < columnCount; ++c)
                values[c] = query.value(c + 1);
        }
    } catch (const QuilletError& error) {
        qWarning("The site list could not be read: %s", qPrintable(error.text()));
    }
    if (m_pages.size() >= CachedPages)
        m_pages.clear();
    auto inserted = m_pages.insert(page, std::move(rows));
    return &inserted->at(offset);
}

QVariant SiteCursor::value(int row, int column) const
{
    if (column < 0 || column >= m_columns.size())
        return QVariant();
    const Row* values = cachedRow(row);
    return values ? values->at(column) : QVariant();
}

QString SiteCursor::siteNameAt(int row) const
{
    return hasRow(row) ? m_names.at(row) : QString();
}

void SiteCursor::setCurrentValue(const QString& field, const QVariant& newValue)
{
    const int column = columnIndex(field);
    if (m_current < 0 || column < 0 || !cachedRow(m_current))
        return;
    m_pages[m_current / PageRows][m_current % PageRows][column] = newValue;
    Q_EMIT rowChanged(m_current);
}
