#include "TableSchema.h"

#include "QuilletError.h"
#include "Sql.h"

#include <QFileInfo>
#include <QUuid>

namespace {

FieldDef text(const char* name, int size)
{
    return {QString::fromLatin1(name), QStringLiteral("VARCHAR(%1)").arg(size), QString()};
}

FieldDef memo(const char* name)
{
    return {QString::fromLatin1(name), QStringLiteral("TEXT"), QString()};
}

FieldDef boolean(const char* name, bool withDefault = false)
{
    return {QString::fromLatin1(name), QStringLiteral("BOOLEAN"), withDefault ? QStringLiteral("0") : QString()};
}

FieldDef integer(const char* name)
{
    return {QString::fromLatin1(name), QStringLiteral("INTEGER"), QString()};
}

// Dates are kept as text in the user's short date format; a text type keeps
// the engine from turning a date-like text into a number.
FieldDef date(const char* name)
{
    return {QString::fromLatin1(name), QStringLiteral("VARCHAR(20)"), QString()};
}

// A table whose structure does not match the installed one may lack the
// field a step changes: the step then fails instead of touching another field.
void requirePosition(const QVector<FieldDef>& fields, int position)
{
    if (position < 0 || position >= fields.size())
        throw QuilletError(QStringLiteral("The table has no field at position %1").arg(position));
}

void resize(QVector<FieldDef>& fields, int position, int size)
{
    requirePosition(fields, position);
    fields[position].type = QStringLiteral("VARCHAR(%1)").arg(size);
}

void falseByDefault(QVector<FieldDef>& fields, int position)
{
    requirePosition(fields, position);
    fields[position].defaultValue = QStringLiteral("0");
}

void insertAt(QVector<FieldDef>& fields, int position, const FieldDef& field)
{
    if (position > fields.size())
        throw QuilletError(QStringLiteral("The table has no field at position %1").arg(position - 1));
    fields.insert(position, field);
}

void append(QVector<FieldDef>& fields, const FieldDef& field)
{
    for (const FieldDef& existing : fields) {
        if (existing.name.compare(field.name, Qt::CaseInsensitive) == 0)
            throw QuilletError(QStringLiteral("The table already has a field %1").arg(field.name));
    }
    fields.append(field);
}

QVector<UpgradeStep> programSteps()
{
    return {
        {100, 101, [](QVector<FieldDef>& f) { resize(f, 12, 35); }},
        {101, 102,
            [](QVector<FieldDef>& f) {
                resize(f, 12, 50);
                append(f, text("Changes", 250));
            }},
        {102, 103, [](QVector<FieldDef>& f) { append(f, text("FileName", 20)); }},
        {103, 104, [](QVector<FieldDef>& f) { resize(f, 0, 50); }},
        {104, 105, [](QVector<FieldDef>& f) { append(f, text("PADPath", 250)); }},
    };
}

QVector<UpgradeStep> progSiteSteps()
{
    return {
        {100, 101, [](QVector<FieldDef>& f) { append(f, text("FileID", 10)); }},
        {101, 102, [](QVector<FieldDef>& f) { resize(f, 0, 50); }},
        {102, 103, [](QVector<FieldDef>& f) { append(f, boolean("NotApplicable", true)); }},
    };
}

QVector<UpgradeStep> siteSteps()
{
    return {
        {100, 101, [](QVector<FieldDef>& f) { append(f, boolean("Dead", true)); }},
        {101, 102,
            [](QVector<FieldDef>& f) {
                insertAt(f, 10, boolean("Ftp", true));
                append(f, boolean("Hide", true));
            }},
        {102, 103, [](QVector<FieldDef>& f) { insertAt(f, 11, boolean("PollsPAD", true)); }},
        {103, 104,
            [](QVector<FieldDef>& f) {
                falseByDefault(f, 7);
                falseByDefault(f, 8);
                falseByDefault(f, 9);
                append(f, text("EMail", 50));
            }},
    };
}

QString columnList(const QStringList& columns)
{
    QStringList quotedColumns;
    for (const QString& column : columns)
        quotedColumns.append(Sql::quoted(column));
    return quotedColumns.join(QStringLiteral(", "));
}

QString createStatement(const QString& schema, const QString& table, const TableDef& def)
{
    QStringList parts;
    for (const FieldDef& field : def.fields) {
        QString column = Sql::quoted(field.name) + QLatin1Char(' ') + field.type;
        if (!field.defaultValue.isEmpty())
            column += QStringLiteral(" DEFAULT ") + field.defaultValue;
        parts.append(column);
    }
    if (!def.primaryKey.isEmpty())
        parts.append(QStringLiteral("PRIMARY KEY (%1)").arg(columnList(def.primaryKey)));
    return QStringLiteral("CREATE TABLE %1.%2 (%3)")
        .arg(Sql::quoted(schema), Sql::quoted(table), parts.join(QStringLiteral(", ")));
}

QString indexColumns(const IndexDef& index)
{
    QStringList parts;
    for (qsizetype i = 0; i < index.columns.size(); ++i) {
        QString part = Sql::quoted(index.columns.at(i));
        const QString collation = index.collations.value(i);
        if (!collation.isEmpty() && collation.compare(QLatin1String("BINARY"), Qt::CaseInsensitive) != 0)
            part += QStringLiteral(" COLLATE ") + Sql::quoted(collation);
        parts.append(part);
    }
    return parts.join(QStringLiteral(", "));
}

void createIndexes(const QSqlDatabase& db, const QString& schema, const TableDef& def)
{
    for (const IndexDef& index : def.indexes) {
        Sql::exec(db,
            QStringLiteral("CREATE INDEX %1.%2 ON %3 (%4)")
                .arg(Sql::quoted(schema), Sql::quoted(index.name), Sql::quoted(def.name), indexColumns(index)));
    }
}

void setVersion(const QSqlDatabase& db, const QString& schema, int version)
{
    Sql::exec(db, QStringLiteral("PRAGMA %1.user_version = %2").arg(Sql::quoted(schema)).arg(version));
}

} // namespace

namespace TableSchema {

QString tableName(Table table)
{
    switch (table) {
    case Table::Programs:
        return QStringLiteral("Programs");
    case Table::Sites:
        return QStringLiteral("Sites");
    case Table::ProgSite:
        return QStringLiteral("ProgSite");
    }
    return QString();
}

QString fileName(Table table)
{
    return tableName(table) + QStringLiteral(".DAT");
}

TableDef baseDefinition(Table table)
{
    TableDef def;
    def.name = tableName(table);
    switch (table) {
    case Table::Programs:
        def.fields = {text("ProgramName", 40), text("Version", 20), date("VersionDate"), integer("FileSize"),
            text("Price", 20), text("License", 40), text("OS", 250), text("Install", 40), text("TrialPeriod", 40),
            date("ExpireDate"), text("ProgramUrl", 250), text("PurchaseUrl", 250), text("Keywords", 30),
            text("ScreenShotUrl", 250), text("IconUrl", 250), text("Dl1", 250), text("Dl2", 250), text("Dl3", 250),
            text("Dl4", 250), text("PadUrl", 250), text("SystemReq", 250), text("Limitations", 250),
            text("ReviewerNotes", 250), text("Desc45", 45), text("Desc80", 80), text("Desc250", 250),
            text("Desc450", 450), memo("Desc800"), text("Category", 40)};
        def.primaryKey = QStringList {QStringLiteral("ProgramName")};
        break;
    case Table::Sites:
        def.fields = {text("SiteName", 60), text("HomeUrl", 250), text("SearchUrl", 250), text("SubmitUrl", 250),
            text("UpdateUrl", 250), memo("Notes"), text("CountryCode", 10), boolean("VelmoraFriendly"), boolean("Pad"),
            boolean("AntiFreeSpeech"), integer("Rating"), text("Username", 60), text("Password", 60),
            memo("UserNotes")};
        def.primaryKey = QStringList {QStringLiteral("SiteName")};
        break;
    case Table::ProgSite:
        def.fields = {text("ProgramName", 40), text("SiteName", 60), boolean("Submitted"), boolean("Published"),
            boolean("OldVersion")};
        def.primaryKey = QStringList {QStringLiteral("ProgramName"), QStringLiteral("SiteName")};
        def.indexes = {IndexDef {QStringLiteral("ProgSite_SiteName"), QStringList {QStringLiteral("SiteName")}, {}}};
        break;
    }
    return def;
}

const QVector<UpgradeStep>& upgradeSteps(Table table)
{
    static const QVector<UpgradeStep> programs = programSteps();
    static const QVector<UpgradeStep> sites = siteSteps();
    static const QVector<UpgradeStep> progSite = progSiteSteps();
    switch (table) {
    case Table::Programs:
        return programs;
    case Table::Sites:
        return sites;
    case Table::ProgSite:
        break;
    }
    return progSite;
}

TableDef currentDefinition(Table table)
{
    TableDef def = baseDefinition(table);
    for (const UpgradeStep& step : upgradeSteps(table)) {
        step.change(def.fields);
        def.version = step.to;
    }
    if (table == Table::Sites)
        def.indexes.append(siteOrderIndex());
    return def;
}

IndexDef siteOrderIndex()
{
    return {QStringLiteral("Sites_SiteOrder"), {QStringLiteral("SiteName"), QStringLiteral("SiteName")},
        {QStringLiteral("NOCASE"), QString()}};
}

void ensureOrderIndex(const QSqlDatabase& db)
{
    const IndexDef index = siteOrderIndex();
    const QString schema = tableName(Table::Sites);
    const bool present = Sql::scalar(db,
                             QStringLiteral("SELECT count(*) FROM %1.sqlite_master WHERE type = 'index' AND name = ?")
                                 .arg(Sql::quoted(schema)),
                             {index.name})
                             .toInt()
        > 0;
    if (present)
        return;
    Sql::exec(db,
        QStringLiteral("CREATE INDEX %1.%2 ON %3 (%4)")
            .arg(Sql::quoted(schema), Sql::quoted(index.name), Sql::quoted(schema), indexColumns(index)));
}

QString versionText(int version)
{
    return QStringLiteral("%1.%2").arg(version / 100).arg(version % 100);
}

void createTable(const QSqlDatabase& db, const TableDef& def)
{
    createTable(db, def, def.name);
}

void createTable(const QSqlDatabase& db, const TableDef& def, const QString& schema)
{
    Sql::exec(db, createStatement(schema, def.name, def));
    createIndexes(db, schema, def);
    setVersion(db, schema, def.version);
}

TableDef readDefinition(const QSqlDatabase& db, Table table)
{
    return readDefinition(db, table, tableName(table));
}

TableDef readDefinition(const QSqlDatabase& db, Table table, const QString& schemaName)
{
    TableDef def;
    def.name = tableName(table);
    const QString schema = Sql::quoted(schemaName);
    QVector<QPair<int, QString>> keyColumns;
    QSqlQuery columns = Sql::exec(db, QStringLiteral("PRAGMA %1.table_info(%2)").arg(schema, Sql::quoted(def.name)));
    while (columns.next()) {
        FieldDef field {columns.value(1).toString(), columns.value(2).toString(), columns.value(4).toString()};
        def.fields.append(field);
        const int pk = columns.value(5).toInt();
        if (pk > 0)
            keyColumns.append({pk, field.name});
    }
    if (def.fields.isEmpty())
        throw QuilletError(QStringLiteral("no such table: %1").arg(def.name));
    std::sort(keyColumns.begin(), keyColumns.end());
    for (const auto& key : keyColumns)
        def.primaryKey.append(key.second);

    QSqlQuery indexes = Sql::exec(db, QStringLiteral("PRAGMA %1.index_list(%2)").arg(schema, Sql::quoted(def.name)));
    QStringList indexNames;
    while (indexes.next()) {
        if (indexes.value(3).toString() == QLatin1String("c"))
            indexNames.append(indexes.value(1).toString());
    }
    for (const QString& name : indexNames) {
        IndexDef index {name, {}, {}};
        // index_xinfo lists the key columns (key = 1) with their collations,
        // then the row id.
        QSqlQuery info = Sql::exec(db, QStringLiteral("PRAGMA %1.index_xinfo(%2)").arg(schema, Sql::quoted(name)));
        while (info.next()) {
            if (info.value(5).toInt() == 0)
                continue;
            index.columns.append(info.value(2).toString());
            index.collations.append(info.value(4).toString());
        }
        def.indexes.append(index);
    }
    def.version = Sql::scalar(db, QStringLiteral("PRAGMA %1.user_version").arg(schema)).toInt();
    return def;
}

void rebuild(QSqlDatabase& db, const TableDef& current, const QVector<FieldDef>& newFields, int newVersion)
{
    TableDef target = current;
    target.fields = newFields;
    target.version = newVersion;
    const QString schema = current.name;
    const QString staging = current.name + QStringLiteral("__rebuild");

    QStringList kept;
    for (const FieldDef& field : newFields) {
        for (const FieldDef& old : current.fields) {
            if (old.name.compare(field.name, Qt::CaseInsensitive) == 0) {
                kept.append(field.name);
                break;
            }
        }
    }

    Sql::inTransaction(db, [&] {
        Sql::exec(db, createStatement(schema, staging, target));
        Sql::exec(db,
            QStringLiteral("INSERT INTO %1.%2 (%3) SELECT %3 FROM %1.%4")
                .arg(Sql::quoted(schema), Sql::quoted(staging), columnList(kept), Sql::quoted(current.name)));
        Sql::exec(db, QStringLiteral("DROP TABLE %1.%2").arg(Sql::quoted(schema), Sql::quoted(current.name)));
        Sql::exec(db,
            QStringLiteral("ALTER TABLE %1.%2 RENAME TO %3")
                .arg(Sql::quoted(schema), Sql::quoted(staging), Sql::quoted(current.name)));
        createIndexes(db, schema, target);
        setVersion(db, schema, newVersion);
    });
}

QVector<TableDef> companionTables(Table table)
{
    if (table == Table::Sites) {
        // The last address check of every site (SiteCheckStore writes it).
        const auto column = [](const char* name, const char* type) {
            return FieldDef {QString::fromLatin1(name), QString::fromLatin1(type), QString()};
        };
        TableDef checks;
        checks.name = QStringLiteral("SiteChecks");
        checks.fields = {column("SiteName", "TEXT NOT NULL"), column("Address", "TEXT"), column("Field", "TEXT"),
            column("Outcome", "TEXT NOT NULL"), integer("Status"), column("NewAddress", "TEXT"),
            column("Detail", "TEXT"), column("CheckedAt", "TEXT NOT NULL")};
        checks.primaryKey = QStringList {QStringLiteral("SiteName")};
        return {checks};
    }
    if (table != Table::ProgSite)
        return {};
    TableDef history;
    history.name = QStringLiteral("SubmissionHistory");
    // Entry: the order of writing, so rows written in the same second keep it.
    history.fields = {integer("Entry"), text("Time", 20), text("ProgramName", 50), text("SiteName", 60),
        text("RunKind", 10), text("Outcome", 30), integer("RunId")};
    history.primaryKey = QStringList {QStringLiteral("Entry")};
    history.indexes = {IndexDef {QStringLiteral("SubmissionHistory_Run"), {QStringLiteral("RunId")}, {}}};
    TableDef runs;
    runs.name = QStringLiteral("SubmissionRuns");
    runs.fields = {integer("RunId"), text("ProgramName", 50), text("RunKind", 10), text("Started", 20),
        text("LastSite", 60), integer("Phase"), integer("Total"), boolean("Finished", true)};
    runs.primaryKey = QStringList {QStringLiteral("RunId")};
    return {history, runs};
}

bool hasTable(const QSqlDatabase& db, const QString& schema, const QString& name)
{
    return Sql::scalar(db,
               QStringLiteral("SELECT count(*) FROM %1.sqlite_master WHERE type = 'table' AND name = ?")
                   .arg(Sql::quoted(schema)),
               {name})
               .toInt()
        > 0;
}

void createCompanionTable(const QSqlDatabase& db, const TableDef& def, const QString& schema)
{
    if (hasTable(db, schema, def.name))
        return;
    Sql::exec(db, createStatement(schema, def.name, def));
    createIndexes(db, schema, def);
}

int readVersion(const QSqlDatabase& db, Table table)
{
    return Sql::scalar(db, QStringLiteral("PRAGMA %1.user_version").arg(Sql::quoted(tableName(table)))).toInt();
}

FileInfo inspectFile(const QString& path, Table table)
{
    FileInfo info;
    info.exists = QFileInfo(path).isFile();
    if (!info.exists)
        return info;
    const QString connection = QStringLiteral("inspect-") + QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        try {
            if (!db.open())
                throw QuilletError(QStringLiteral("Cannot open %1").arg(path));
            const QString name = Sql::quoted(tableName(table));
            info.version = Sql::scalar(db, QStringLiteral("PRAGMA user_version")).toInt();
            if (info.version == 0)
                info.version = 100;
            info.rows = Sql::scalar(db, QStringLiteral("SELECT count(*) FROM %1").arg(name)).toInt();
        } catch (const QuilletError& error) {
            info.error = error.text();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return info;
}

} // namespace TableSchema
