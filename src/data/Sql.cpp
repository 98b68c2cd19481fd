#include "Sql.h"

#include <QSqlError>

namespace Sql {

QString errorText(const QSqlQuery& query)
{
    const QSqlError error = query.lastError();
    const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    return text.isEmpty() ? QStringLiteral("Unknown database error") : text;
}

int errorCode(const QSqlQuery& query)
{
    return query.lastError().nativeErrorCode().toInt();
}

void run(QSqlQuery& query, const QVariantList& params)
{
    for (qsizetype i = 0; i < params.size(); ++i)
        query.bindValue(static_cast<int>(i), params.at(i));
    if (!query.exec())
        throw QuilletError(errorText(query));
}

QSqlQuery exec(const QSqlDatabase& db, const QString& sql, const QVariantList& params)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        throw QuilletError(errorText(query));
    run(query, params);
    return query;
}

QVariant scalar(const QSqlDatabase& db, const QString& sql, const QVariantList& params)
{
    QSqlQuery query = exec(db, sql, params);
    return query.next() ? query.value(0) : QVariant();
}

QString quoted(const QString& identifier)
{
    QString escaped = identifier;
    escaped.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

} // namespace Sql
