#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QVariantList>

// Small helpers over QtSql that turn every failure into a QuilletError with
// the engine's text. Every value reaches the engine as a bound parameter.
namespace Sql {

// Prepares and runs sql with params bound in order; returns the live query.
QSqlQuery exec(const QSqlDatabase& db, const QString& sql, const QVariantList& params = {});

// Runs a prepared query again with new values.
void run(QSqlQuery& query, const QVariantList& params);

// The first column of the first row, or an invalid QVariant.
QVariant scalar(const QSqlDatabase& db, const QString& sql, const QVariantList& params = {});

// An identifier in double quotes, embedded quotes doubled.
QString quoted(const QString& identifier);

// The engine's text for the last error of query.
QString errorText(const QSqlQuery& query);

// The engine's numeric result code of the last error of query (0 when none).
int errorCode(const QSqlQuery& query);

// Runs work inside a transaction: commits when it returns, rolls back and
// rethrows when it throws.
template<typename Work> void inTransaction(QSqlDatabase& db, Work work);

} // namespace Sql

#include "QuilletError.h"

template<typename Work> void Sql::inTransaction(QSqlDatabase& db, Work work)
{
    exec(db, QStringLiteral("BEGIN IMMEDIATE"));
    try {
        work();
    } catch (...) {
        QSqlQuery rollback(db);
        rollback.exec(QStringLiteral("ROLLBACK"));
        throw;
    }
    try {
        exec(db, QStringLiteral("COMMIT"));
    } catch (...) {
        // A commit the engine refuses leaves the transaction open: end it.
        QSqlQuery rollback(db);
        rollback.exec(QStringLiteral("ROLLBACK"));
        throw;
    }
}
