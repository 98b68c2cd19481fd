#include "TableRepair.h"

#include "QuilletError.h"
#include "ReplacingFile.h"
#include "Sql.h"

#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <algorithm>
#include <cstdio>

namespace {

const QString kDamaged = QStringLiteral("damaged");

QString columnList(const QVector<FieldDef>& fields)
{
    QStringList names;
    for (const FieldDef& field : fields)
        names.append(Sql::quoted(field.name));
    return names.join(QStringLiteral(", "));
}

// A byte copy, never through a link standing at the copy's name, owner-only.
bool copyFile(const QString& from, const QString& to, QString& error)
{
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("%1: %2").arg(from, source.errorString());
        return false;
    }
    ReplacingFile target(to);
    if (!target.open()) {
        error = target.errorString();
        return false;
    }
    char buffer[1 << 16];
    for (;;) {
        const qint64 read = source.read(buffer, sizeof buffer);
        if (read < 0) {
            error = QStringLiteral("%1: %2").arg(from, source.errorString());
            return false;
        }
        if (read == 0)
            break;
        if (!target.write(buffer, read)) {
            error = target.errorString();
            return false;
        }
    }
    if (!target.commit()) {
        error = target.errorString();
        return false;
    }
    return true;
}

// The structure of a companion table as the damaged file holds it.
TableDef readCompanion(const QSqlDatabase& db, const QString& name)
{
    TableDef def;
    def.name = name;
    QVector<QPair<int, QString>> keyColumns;
    QSqlQuery columns
        = Sql::exec(db, QStringLiteral("PRAGMA %1.table_info(%2)").arg(Sql::quoted(kDamaged), Sql::quoted(name)));
    while (columns.next()) {
        // A column that refuses nulls keeps refusing them.
        const QString type
            = columns.value(2).toString() + (columns.value(3).toInt() != 0 ? QStringLiteral(" NOT NULL") : QString());
        def.fields.append({columns.value(1).toString(), type, columns.value(4).toString()});
        if (columns.value(5).toInt() > 0)
            keyColumns.append({columns.value(5).toInt(), columns.value(1).toString()});
    }
    std::sort(keyColumns.begin(), keyColumns.end());
    for (const auto& key : keyColumns)
        def.primaryKey.append(key.second);
    return def;
}

// Builds the repaired table in newPath from the rows of damagedPath.
TableRepair::Result rebuildInto(const QString& damagedPath, const QString& newPath, Table table)
{
    TableRepair::Result result;
    const QString connection = QStringLiteral("repair-") + QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(QStringLiteral(":memory:"));
        try {
            if (!db.open())
                throw QuilletError(QStringLiteral("Cannot open a connection for the repair"));
            const QString schema = TableSchema::tableName(table);
            QSqlQuery attach(db);
            attach.prepare(QStringLiteral("ATTACH DATABASE ? AS %1").arg(Sql::quoted(kDamaged)));
            attach.addBindValue(damagedPath);
            if (!attach.exec())
                throw QuilletError(Sql::errorText(attach));
            attach.prepare(QStringLiteral("ATTACH DATABASE ? AS %1").arg(Sql::quoted(schema)));
            attach.addBindValue(newPath);
            if (!attach.exec())
                throw QuilletError(Sql::errorText(attach));
            attach.finish();

            const TableDef def = TableSchema::readDefinition(db, table, kDamaged);
            const QString columns = columnList(def.fields);
            QSqlDatabase writable = db;
            Sql::inTransaction(writable, [&] {
                TableSchema::createTable(db, def, schema);
                // Read the table itself, never an index (which may be what is
                // damaged), row by row rather than page by page.
                QSqlQuery copy = Sql::exec(db,
                    QStringLiteral("INSERT OR IGNORE INTO %1.%2 (%3) SELECT %3 FROM %4.%2 NOT INDEXED WHERE 1")
                        .arg(Sql::quoted(schema), Sql::quoted(def.name), columns, Sql::quoted(kDamaged)));
                const int written = copy.numRowsAffected();
                copy.finish();
                const int read = Sql::scalar(db,
                    QStringLiteral("SELECT count(*) FROM %1.%2 NOT INDEXED")
                        .arg(Sql::quoted(kDamaged), Sql::quoted(def.name)))
                                     .toInt();
                result.rowsLeftOut = std::max(0, read - written);
                // The tables that live beside it in the same file come along.
                for (const TableDef& companion : TableSchema::companionTables(table)) {
                    if (!TableSchema::hasTable(db, kDamaged, companion.name))
                        continue;
                    TableDef found = readCompanion(db, companion.name);
                    found.indexes = companion.indexes;
                    TableSchema::createCompanionTable(db, found, schema);
                    const QString fields = columnList(found.fields);
                    QSqlQuery rows = Sql::exec(db,
                        QStringLiteral("INSERT OR IGNORE INTO %1.%2 (%3) SELECT %3 FROM %4.%2 NOT INDEXED WHERE 1")
                            .arg(Sql::quoted(schema), Sql::quoted(companion.name), fields, Sql::quoted(kDamaged)));
                    rows.finish();
                }
            });
            const QString check
                = Sql::scalar(db, QStringLiteral("PRAGMA %1.integrity_check").arg(Sql::quoted(schema))).toString();
            if (check != QLatin1String("ok"))
                throw QuilletError(check);
            result.rows = Sql::scalar(
                db, QStringLiteral("SELECT count(*) FROM %1.%2").arg(Sql::quoted(schema), Sql::quoted(def.name)))
                              .toInt();
            result.ok = true;
        } catch (const QuilletError& error) {
            result.error = error.text();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return result;
}

} // namespace

QString TableRepair::copyName(const QString& path, const QDateTime& when)
{
    const QString base = path + QStringLiteral(".damaged-") + when.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = base;
    for (int n = 2; QFileInfo::exists(name) || QFileInfo(name).isSymLink(); ++n)
        name = base + QStringLiteral("-%1").arg(n);
    return name;
}

TableRepair::Result TableRepair::repair(const QString& path, Table table, const QDateTime& when)
{
    Result result;
    const QString copy = copyName(path, when);
    if (!copyFile(path, copy, result.error))
        return result;

    // The new file starts under a name of its own beside the table (beside
    // the file a link at the table's name points to), owner-only until it
    // takes the table file's permissions.
    const QFileInfo info(path);
    const QString target = info.isSymLink() ? info.canonicalFilePath() : path;
    const QString fresh = target + QStringLiteral(".repair-") + QUuid::createUuid().toString(QUuid::Id128);
    if (!createNewFile(fresh)) {
        QFile::remove(copy);
        result.error = QStringLiteral("Cannot create %1").arg(fresh);
        return result;
    }
    result = rebuildInto(copy, fresh, table);
    const auto dropFresh = [&] {
        QFile::remove(fresh);
        QFile::remove(fresh + QStringLiteral("-journal"));
    };
    if (result.ok) {
        // The repaired file keeps the table file's permissions.
        QFile::setPermissions(fresh, QFileInfo(target).permissions());
        if (std::rename(QFile::encodeName(fresh).constData(), QFile::encodeName(target).constData()) != 0) {
            result.ok = false;
            result.error = QStringLiteral("Cannot replace %1").arg(path);
        }
    }
    if (!result.ok) {
        dropFresh();
        QFile::remove(copy);
        return result;
    }
    result.copyPath = copy;
    return result;
}
