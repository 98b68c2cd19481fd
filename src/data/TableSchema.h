#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

// The three tables. Each lives in its own SQLite file in the program
// directory, attached to the one connection under the table's own name.
enum class Table { Programs, Sites, ProgSite };

struct FieldDef {
    QString name;
    QString type;         // declared type, e.g. "VARCHAR(50)", "BOOLEAN", "INTEGER", "TEXT"
    QString defaultValue; // SQL literal, empty for none
};

struct IndexDef {
    QString name;
    QStringList columns;
    QStringList collations; // per column; empty or "BINARY" for the column's own
};

struct TableDef {
    QString name;
    QVector<FieldDef> fields;
    QStringList primaryKey;
    QVector<IndexDef> indexes;
    int version = 100; // major * 100 + minor: 1.4 is 104
};

// One structure change: the table's version moves from `from` to `to`.
struct UpgradeStep {
    int from;
    int to;
    std::function<void(QVector<FieldDef>&)> change;
};

namespace TableSchema {

constexpr Table AllTables[] = {Table::Programs, Table::Sites, Table::ProgSite};

QString tableName(Table table); // also the schema name on the connection
QString fileName(Table table);  // "Programs.DAT"

// The structure as installed at version 1.0.
TableDef baseDefinition(Table table);
// The steps that bring a table from 1.0 to its current structure, in order.
const QVector<UpgradeStep>& upgradeSteps(Table table);
// The current structure: the base with every step applied.
TableDef currentDefinition(Table table);

// "1.4" for 104.
QString versionText(int version);

// The index that keeps Sites in the site list's order: names without regard
// to case, then exactly. Part of the current structure; tables made before it
// get it when opened (ensureOrderIndex).
IndexDef siteOrderIndex();
// Creates the site order index in the attached Sites file when it lacks it.
// Raises QuilletError when the file refuses (a read-only file, for one).
void ensureOrderIndex(const QSqlDatabase& db);

// Creates the table at def (with its indexes and version) in the schema named
// like the table, or in schema.
void createTable(const QSqlDatabase& db, const TableDef& def);
void createTable(const QSqlDatabase& db, const TableDef& def, const QString& schema);

// Reads the table's structure as it is in the file attached under the
// table's own name, or under schema.
TableDef readDefinition(const QSqlDatabase& db, Table table);
TableDef readDefinition(const QSqlDatabase& db, Table table, const QString& schema);

// Rebuilds the table with newFields in their order inside one transaction,
// keeping every row and the values of every column that stays, and sets the
// version. Indexes and the primary key are kept.
void rebuild(QSqlDatabase& db, const TableDef& current, const QVector<FieldDef>& newFields, int newVersion);

int readVersion(const QSqlDatabase& db, Table table);

// Tables that live in a table's file beside it: made when first needed (a
// file without them is as good as one with them empty), carried over by a
// repair, and left alone by the table's own upgrades and version. ProgSite's
// file holds the submission history and the submission runs, Sites' file the
// outcomes of the last address check.
QVector<TableDef> companionTables(Table table);
// Creates def with its indexes in schema unless the file already has it; the
// file's version is not touched.
void createCompanionTable(const QSqlDatabase& db, const TableDef& def, const QString& schema);
// Whether schema's file holds a table named name.
bool hasTable(const QSqlDatabase& db, const QString& schema, const QString& name);

// What a table file holds, read without writing anything.
struct FileInfo {
    bool exists = false;
    int version = 0;
    int rows = 0;
    QString error; // empty when the file was read
};
FileInfo inspectFile(const QString& path, Table table);

} // namespace TableSchema
