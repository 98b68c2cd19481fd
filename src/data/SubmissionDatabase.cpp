#include "SubmissionDatabase.h"

#include "MessageSink.h"
#include "MessageTranslation.h"
#include "PropertyCatalogue.h"
#include "QuilletError.h"
#include "ReplacingFile.h"
#include "Settings.h"
#include "SiteListMerge.h"
#include "Sql.h"
#include "TableCloseRecord.h"
#include "TableRepair.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlRecord>

namespace {

constexpr int kSqliteCorrupt = 11;
constexpr int kSqliteBusy = 5;
constexpr int kSqliteLocked = 6;

struct CheckResult {
    bool ok = false;
    bool damaged = false; // the file is a database whose pages or indexes are inconsistent
    bool held = false;    // another program holds a lock on the file
    QString text;
};

// The engine's words for a file another connection holds locked, whatever
// statement met it first.
bool isLockedText(const QString& text)
{
    return text.contains(QLatin1String("database is locked"))
        || text.contains(QLatin1String("database table is locked"));
}

QString heldText(const QString& fileName)
{
    return translateMessage(QStringLiteral("The table %1 is in use by another program, which holds it locked. Close "
                                           "that program (or wait until it has finished) and try again."))
        .arg(fileName);
}

// Runs the engine's integrity check (or its quick form, which leaves out
// whether the indexes match the rows) on one attached file.
CheckResult checkIntegrity(const QSqlDatabase& db, const QString& schema, bool quick = false)
{
    CheckResult result;
    QSqlQuery query(db);
    const QString pragma = quick ? QStringLiteral("quick_check") : QStringLiteral("integrity_check");
    if (!query.exec(QStringLiteral("PRAGMA %1.%2").arg(Sql::quoted(schema), pragma))) {
        result.text = Sql::errorText(query);
        const int code = Sql::errorCode(query) & 0xFF;
        result.damaged = code == kSqliteCorrupt;
        result.held = code == kSqliteBusy || code == kSqliteLocked;
        return result;
    }
    QStringList problems;
    while (query.next())
        problems.append(query.value(0).toString());
    result.ok = problems == QStringList {QStringLiteral("ok")};
    result.damaged = !result.ok;
    result.text = problems.join(QLatin1Char('\n'));
    return result;
}

bool hasAnyTable(const QSqlDatabase& db, const QString& schema)
{
    return Sql::scalar(db,
               QStringLiteral("SELECT count(*) FROM %1.sqlite_master WHERE type = 'table'").arg(Sql::quoted(schema)))
               .toInt()
        > 0;
}

// The stored text of a FileSize value: a whole number, or an empty field.
QVariant fileSizeValue(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return QVariant(QMetaType(QMetaType::Int));
    bool ok = false;
    const int bytes = trimmed.toInt(&ok);
    if (!ok)
        throw ConversionError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return bytes;
}

std::optional<bool> optionalFlag(const QVariant& value)
{
    if (value.isNull())
        return std::nullopt;
    return value.toInt() != 0;
}

// The flags of a row whose first columns are Submitted, Published, OldVersion,
// NotApplicable and FileID, in that order.
ProgSiteRow progSiteRowOf(const QSqlQuery& query)
{
    ProgSiteRow row;
    row.submitted = optionalFlag(query.value(0));
    row.published = optionalFlag(query.value(1));
    row.oldVersion = optionalFlag(query.value(2));
    row.notApplicable = optionalFlag(query.value(3));
    row.fileId = query.value(4).toString();
    return row;
}

bool isFlagName(const QString& flag)
{
    return ProgSiteRow().flag(flag) != nullptr;
}

} // namespace

SubmissionDatabase::SubmissionDatabase(Settings& config, PropertyCatalogue& properties, QObject* parent)
    : QObject(parent)
    , m_config(config)
    , m_properties(properties)
{
    static int connections = 0;
    m_connectionName = QStringLiteral("Quillet-%1").arg(++connections);
}

SubmissionDatabase::~SubmissionDatabase()
{
    QStringList closed;
    for (Table table : TableSchema::AllTables) {
        if (m_open[index(table)])
            closed.append(TableSchema::fileName(table));
    }
    const bool wasOpen = m_db.isValid() && m_db.isOpen();
    m_sites.detach();
    if (m_db.isValid())
        m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
    // Files closed cleanly need no check at the next open. (The settings
    // store may be gone by now: the folder was noted at open.)
    if (wasOpen)
        TableCloseRecord(m_directory).noteClosed(closed);
}

QString SubmissionDatabase::tablePath(Table table) const
{
    return m_config.programDirectory() + TableSchema::fileName(table);
}

void SubmissionDatabase::open()
{
    m_directory = m_config.programDirectory();
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    m_db.setDatabaseName(QStringLiteral(":memory:"));
    if (!m_db.open())
        throw QuilletError(m_db.lastError().text());
    attachTables();
    upgradeTables();
    for (Table table : {Table::Programs, Table::ProgSite, Table::Sites})
        openTable(table);
    m_sites.setFilter(QString::fromLatin1(DefaultSiteFilter));
    applySiteFilter();
    loadProgram(m_properties[PropertyCatalogue::ProgramName].getValue());
}

void SubmissionDatabase::attachTables()
{
    const TableCloseRecord record(m_directory);
    for (Table table : TableSchema::AllTables) {
        const QString path = tablePath(table);
        const QString schema = TableSchema::tableName(table);
        const bool existed = QFile::exists(path);
        if (existed) {
            switch (record.stateOf(TableSchema::fileName(table))) {
            case TableCloseRecord::State::AsClosed:
                m_check[index(table)] = Check::None;
                break;
            case TableCloseRecord::State::WrittenSince:
                m_check[index(table)] = Check::Quick;
                break;
            case TableCloseRecord::State::Unknown:
                m_check[index(table)] = Check::Full;
                break;
            }
        } else {
            // A new table file holds the site accounts' passwords: owner-only.
            createNewFile(path);
            m_check[index(table)] = Check::None;
        }
        QSqlQuery attach(m_db);
        attach.prepare(QStringLiteral("ATTACH DATABASE ? AS %1").arg(Sql::quoted(schema)));
        attach.addBindValue(path);
        if (!attach.exec()) {
            m_attachError[index(table)] = Sql::errorText(attach);
            if (isLockedText(m_attachError[index(table)])) {
                m_attachError[index(table)] = heldText(TableSchema::fileName(table));
                m_held[index(table)] = true;
            }
            continue;
        }
        m_attached[index(table)] = true;
        try {
            // A missing file is a new installation; an empty database file gets
            // its table too. An existing table is never replaced.
            // (A file as the program closed it has its table.)
            if (!existed || (m_check[index(table)] != Check::None && !hasAnyTable(m_db, schema)))
                TableSchema::createTable(m_db, TableSchema::currentDefinition(table));
        } catch (const QuilletError&) {
            // Not a database, or not readable: openTable reports it.
        }
    }
}

void SubmissionDatabase::upgradeTables()
{
    for (Table table : TableSchema::AllTables) {
        if (!m_attached[index(table)])
            continue;
        try {
            // A file that cannot be read is left to openTable, which reports it.
            if (m_check[index(table)] != Check::None)
                hasAnyTable(m_db, TableSchema::tableName(table));
        } catch (const QuilletError&) {
            continue;
        }
        try {
            upgradeTable(table);
        } catch (const QuilletError& error) {
            // A file another program holds is reported once, by openTable.
            if (!isLockedText(error.text()))
                MessageSink::current().showMessage(error.text());
        }
    }
}

void SubmissionDatabase::upgradeTable(Table table)
{
    int version = TableSchema::readVersion(m_db, table);
    if (version == 0) // a table that carries no version is at the installed structure
        version = 100;
    for (const UpgradeStep& step : TableSchema::upgradeSteps(table)) {
        if (version != step.from)
            continue;
        const TableDef current = TableSchema::readDefinition(m_db, table);
        QVector<FieldDef> fields = current.fields;
        step.change(fields);
        TableSchema::rebuild(m_db, current, fields, step.to);
        version = step.to;
    }
}

void SubmissionDatabase::detachTable(Table table)
{
    QSqlQuery detach(m_db);
    detach.exec(QStringLiteral("DETACH DATABASE %1").arg(Sql::quoted(TableSchema::tableName(table))));
    m_attached[index(table)] = false;
}

void SubmissionDatabase::repairTable(Table table)
{
    const QString path = tablePath(table);
    const QString schema = TableSchema::tableName(table);
    detachTable(table);
    const TableRepair::Result repaired = TableRepair::repair(path, table);
    if (!repaired.ok) {
        m_attachError[index(table)] = repaired.error;
        throw QuilletError(
            translateMessage(QStringLiteral("The table file %1 is damaged and could not be repaired (%2). "
                                            "The file has been left as it was."))
                .arg(path, repaired.error));
    }
    QSqlQuery attach(m_db);
    attach.prepare(QStringLiteral("ATTACH DATABASE ? AS %1").arg(Sql::quoted(schema)));
    attach.addBindValue(path);
    if (!attach.exec())
        throw QuilletError(Sql::errorText(attach));
    m_attached[index(table)] = true;
    const CheckResult check = checkIntegrity(m_db, schema);
    if (!check.ok)
        throw QuilletError(check.text);
    QString text = translateMessage(QStringLiteral("The table file %1 was damaged and has been repaired. The repaired "
                                                   "table holds %2 rows. A copy of the damaged file is kept as %3."))
                       .arg(path)
                       .arg(repaired.rows)
                       .arg(repaired.copyPath);
    if (repaired.rowsLeftOut > 0)
        text += QLatin1Char(' ')
            + translateMessage(QStringLiteral("%1 rows repeated a key of another row and were left out; the copy "
                                              "still holds them."))
                  .arg(repaired.rowsLeftOut);
    MessageSink::current().showMessage(text);
}

void SubmissionDatabase::openTable(Table table)
{
    const QString schema = TableSchema::tableName(table);
    if (!m_attached[index(table)]) {
        MessageSink::current().showMessage(m_attachError[index(table)], QStringLiteral("Error"));
        return;
    }
    // A file as the program closed it needs no check; one the engine wrote
    // since gets the quick check; any other the full one. Only a file that
    // fails is checked in full and repaired.
    CheckResult check;
    check.ok = true;
    if (m_check[index(table)] != Check::None)
        check = checkIntegrity(m_db, schema, m_check[index(table)] == Check::Quick);
    if (m_check[index(table)] == Check::None) {
        // Unchecked, the file is still read once here: a file another program
        // holds locked is told as such now, not as some later failure.
        try {
            hasAnyTable(m_db, schema);
        } catch (const QuilletError& error) {
            if (isLockedText(error.text())) {
                check.ok = false;
                check.held = true;
                check.text = error.text();
            }
        }
    }
    if (!check.ok && check.damaged) {
        repairTable(table);
        check.ok = true;
    }
    if (check.ok && m_check[index(table)] != Check::None) {
        try {
            TableSchema::readDefinition(m_db, table);
        } catch (const QuilletError& error) {
            check.ok = false;
            check.text = error.text();
        }
    }
    if (!check.ok) {
        if (check.held || isLockedText(check.text)) {
            check.text = heldText(TableSchema::fileName(table));
            m_held[index(table)] = true;
        }
        MessageSink::current().showMessage(check.text, QStringLiteral("Error"));
        detachTable(table);
        m_attachError[index(table)] = check.text;
        return;
    }
    m_open[index(table)] = true;
    if (table == Table::Sites) {
        try {
            TableSchema::ensureOrderIndex(m_db);
        } catch (const QuilletError& error) {
            // A file that cannot be written is read without the index, more slowly.
            qWarning("The site order index could not be made: %s", qPrintable(error.text()));
        }
        m_sites.attach(m_db);
    }
}

void SubmissionDatabase::requireOpen(Table table) const
{
    if (!isTableOpen(table)) {
        if (m_held[index(table)])
            throw QuilletError(heldText(TableSchema::fileName(table)));
        throw QuilletError(QStringLiteral("The table %1 is not open").arg(TableSchema::fileName(table)));
    }
}

void SubmissionDatabase::applySiteFilter()
{
    setSiteFilter(m_config.siteFilter.isEmpty() ? QString::fromLatin1(DefaultSiteFilter) : m_config.siteFilter);
}

void SubmissionDatabase::setSiteFilter(const QString& filter)
{
    if (!isTableOpen(Table::Sites)) {
        m_sites.setFilter(filter);
        return;
    }
    const QString error = m_sites.setFilter(filter);
    if (!error.isEmpty()) {
        MessageSink::current().showMessage(
            QStringLiteral("The site filter \"%1\" is not valid: %2. The filter \"%3\" is used instead.")
                .arg(filter, error, QString::fromLatin1(DefaultSiteFilter)));
        m_sites.setFilter(QString::fromLatin1(DefaultSiteFilter));
    }
    m_sites.refresh();
}

void SubmissionDatabase::loadPrograms(QStringList& list) const
{
    list.clear();
    requireOpen(Table::Programs);
    QSqlQuery query = Sql::exec(m_db,
        QStringLiteral("SELECT ProgramName FROM Programs.Programs ORDER BY ProgramName COLLATE NOCASE, ProgramName"));
    while (query.next())
        list.append(query.value(0).toString());
}

void SubmissionDatabase::addProgram(const QString& name)
{
    requireOpen(Table::Programs);
    Sql::exec(m_db, QStringLiteral("INSERT INTO Programs.Programs (ProgramName) VALUES (?)"), {name});
}

void SubmissionDatabase::loadProgram(const QString& name)
{
    requireOpen(Table::Programs);
    QSqlQuery query = Sql::exec(m_db, QStringLiteral("SELECT * FROM Programs.Programs WHERE ProgramName = ?"), {name});
    const bool found = query.next();
    const QSqlRecord record = query.record();
    const auto fieldText = [&](const QString& field) {
        const int column = record.indexOf(field);
        return found && column >= 0 ? query.value(column).toString() : QString();
    };
    for (int i = PropertyCatalogue::FirstProgram; i <= PropertyCatalogue::LastProgram; ++i) {
        if (i == PropertyCatalogue::FileSize || i == PropertyCatalogue::FileSizeKB
            || i == PropertyCatalogue::FileSizeMB)
            continue;
        m_properties[i].setValue(fieldText(m_properties[i].fieldName));
    }
    m_properties.setFileSize(fieldText(QStringLiteral("FileSize")));
    query.finish();

    m_flags.clear(name);
    reloadProgramFlags();
}

void SubmissionDatabase::reloadProgramFlags()
{
    const QString program = m_flags.program();
    m_flags.clear(program);
    if (isTableOpen(Table::ProgSite)) {
        QSqlQuery query = Sql::exec(m_db,
            QStringLiteral("SELECT Submitted, Published, OldVersion, NotApplicable, FileID, "
                           "SiteName FROM ProgSite.ProgSite WHERE ProgramName = ?"),
            {program});
        while (query.next())
            m_flags.insert(query.value(5).toString(), progSiteRowOf(query));
    }
    Q_EMIT programFlagsChanged();
}

void SubmissionDatabase::saveProgram(const QString& name)
{
    requireOpen(Table::Programs);
    QSqlQuery columnsQuery = Sql::exec(m_db, QStringLiteral("SELECT * FROM Programs.Programs LIMIT 0"));
    const QSqlRecord columns = columnsQuery.record();
    columnsQuery.finish();

    QStringList fields;
    QVariantList values;
    for (int i = PropertyCatalogue::FirstProgram + 1; i <= PropertyCatalogue::LastProgram; ++i) {
        if (i == PropertyCatalogue::FileSizeKB || i == PropertyCatalogue::FileSizeMB)
            continue;
        const int column = columns.indexOf(m_properties[i].fieldName);
        if (column < 0)
            continue;
        fields.append(columns.fieldName(column));
        values.append(i == PropertyCatalogue::FileSize ? fileSizeValue(m_properties[i].getValue())
                                                       : QVariant(m_properties[i].getValue()));
    }

    const bool exists
        = Sql::scalar(m_db, QStringLiteral("SELECT count(*) FROM Programs.Programs WHERE ProgramName = ?"), {name})
              .toInt()
        > 0;
    if (exists) {
        QStringList assignments;
        for (const QString& field : fields)
            assignments.append(Sql::quoted(field) + QStringLiteral(" = ?"));
        values.append(name);
        Sql::exec(m_db,
            QStringLiteral("UPDATE Programs.Programs SET %1 WHERE ProgramName = ?")
                .arg(assignments.join(QStringLiteral(", "))),
            values);
    } else {
        QStringList quotedFields {QStringLiteral("ProgramName")};
        for (const QString& field : fields)
            quotedFields.append(Sql::quoted(field));
        values.prepend(m_properties[PropertyCatalogue::ProgramName].getValue());
        const QString placeholders = QStringList(quotedFields.size(), QStringLiteral("?")).join(QStringLiteral(", "));
        Sql::exec(m_db,
            QStringLiteral("INSERT INTO Programs.Programs (%1) VALUES (%2)")
                .arg(quotedFields.join(QStringLiteral(", ")), placeholders),
            values);
    }
}

void SubmissionDatabase::deleteProgram(const QString& name)
{
    requireOpen(Table::Programs);
    Sql::exec(m_db, QStringLiteral("DELETE FROM Programs.Programs WHERE ProgramName = ?"), {name});
}

void SubmissionDatabase::refreshData()
{
    m_sites.refresh();
    reloadProgramFlags();
}

bool SubmissionDatabase::getProgSiteFlag(const QString& flag) const
{
    return m_flags.isSet(m_sites.currentSiteName(), flag);
}

const ProgSiteRow* SubmissionDatabase::currentProgSiteRow() const
{
    if (m_sites.currentIndex() < 0)
        return nullptr;
    return m_flags.find(m_sites.currentSiteName());
}

ProgSiteRow* SubmissionDatabase::editableCurrentRow()
{
    requireOpen(Table::ProgSite);
    if (m_sites.currentIndex() < 0)
        return nullptr;
    const QString site = m_sites.currentSiteName();
    if (!m_flags.find(site)) {
        // The first change of a site's flags creates the program's row for it.
        QSqlQuery query
            = Sql::exec(m_db, QStringLiteral("INSERT INTO ProgSite.ProgSite (ProgramName, SiteName) VALUES (?, ?)"),
                {m_flags.program(), site});
        query.finish();
        const QVariant notApplicable = Sql::scalar(m_db,
            QStringLiteral("SELECT NotApplicable FROM ProgSite.ProgSite WHERE ProgramName = ? AND SiteName = ?"),
            {m_flags.program(), site});
        ProgSiteRow row;
        row.notApplicable = optionalFlag(notApplicable);
        m_flags.insert(site, row);
    }
    return &m_flags.row(site);
}

void SubmissionDatabase::setProgSiteFlag(const QString& flag, bool value)
{
    setProgSiteFlags({{flag, value}});
}

void SubmissionDatabase::setProgSiteFlags(
    const QVector<QPair<QString, bool>>& flags, const std::function<void()>& alsoWrite)
{
    for (const auto& change : flags) {
        if (!isFlagName(change.first))
            throw QuilletError(QStringLiteral("Unknown flag %1").arg(change.first));
    }
    requireOpen(Table::ProgSite);
    if (m_sites.currentIndex() < 0)
        return;
    const QString site = m_sites.currentSiteName();
    const QString program = m_flags.program();
    try {
        Sql::inTransaction(m_db, [&] {
            // The first change of a site's flags creates the program's row for it.
            if (!m_flags.find(site)) {
                QSqlQuery insert = Sql::exec(m_db,
                    QStringLiteral("INSERT OR IGNORE INTO ProgSite.ProgSite (ProgramName, SiteName) VALUES (?, ?)"),
                    {program, site});
                insert.finish();
            }
            for (const auto& change : flags) {
                QSqlQuery update = Sql::exec(m_db,
                    QStringLiteral("UPDATE ProgSite.ProgSite SET %1 = ? WHERE ProgramName = ? AND SiteName = ?")
                        .arg(Sql::quoted(change.first)),
                    {change.second ? 1 : 0, program, site});
                update.finish();
            }
            if (alsoWrite)
                alsoWrite();
        });
    } catch (const QuilletError&) {
        // What is shown stays what the file holds.
        reloadProgramFlags();
        throw;
    }
    QSqlQuery row = Sql::exec(m_db,
        QStringLiteral("SELECT Submitted, Published, OldVersion, NotApplicable, FileID FROM ProgSite.ProgSite "
                       "WHERE ProgramName = ? AND SiteName = ?"),
        {program, site});
    if (row.next())
        m_flags.insert(site, progSiteRowOf(row));
    row.finish();
    Q_EMIT programFlagsChanged();
}

void SubmissionDatabase::setProgSiteFileID(const QString& fileId)
{
    ProgSiteRow* row = editableCurrentRow();
    if (!row)
        return;
    Sql::exec(m_db, QStringLiteral("UPDATE ProgSite.ProgSite SET FileID = ? WHERE ProgramName = ? AND SiteName = ?"),
        {fileId, m_flags.program(), m_sites.currentSiteName()});
    row->fileId = fileId;
    Q_EMIT programFlagsChanged();
}

void SubmissionDatabase::setCurrentSiteText(const QString& field, const QString& value)
{
    static const QStringList editable {
        QStringLiteral("Username"), QStringLiteral("Password"), QStringLiteral("UserNotes"), QStringLiteral("Notes")};
    if (!editable.contains(field, Qt::CaseInsensitive))
        throw QuilletError(QStringLiteral("The field %1 cannot be edited here").arg(field));
    requireOpen(Table::Sites);
    if (m_sites.currentIndex() < 0)
        return;
    Sql::exec(m_db, QStringLiteral("UPDATE Sites.Sites SET %1 = ? WHERE SiteName = ?").arg(Sql::quoted(field)),
        {value, m_sites.currentSiteName()});
    m_sites.setCurrentValue(field, value);
}

void SubmissionDatabase::getNavLink(const QString& kind, QString& link) const
{
    const QString home = m_sites.field(QStringLiteral("HomeUrl")).toString();
    QString search = m_sites.field(QStringLiteral("SearchUrl")).toString();
    QString submit = m_sites.field(QStringLiteral("SubmitUrl")).toString();
    QString update = m_sites.field(QStringLiteral("UpdateUrl")).toString();
    const QString mail = m_sites.field(QStringLiteral("EMail")).toString();
    if (search.isEmpty())
        search = home;
    if (submit.isEmpty())
        submit = home;
    if (update.isEmpty())
        update = submit;
    if (kind == QLatin1String("search"))
        link = search;
    else if (kind == QLatin1String("update"))
        link = update;
    else if (kind == QLatin1String("submit"))
        link = submit;
    else if (kind == QLatin1String("email"))
        link = mail;
    else if (kind == QLatin1String("home"))
        link = home;
}

void SubmissionDatabase::getSiteByKey(QChar key)
{
    if (m_sites.isEmpty())
        return;
    const auto firstLetter = [&](int row) -> char16_t {
        const QString name = m_sites.siteNameAt(row);
        if (name.isEmpty())
            return 0;
        const char16_t c = name.at(0).unicode();
        return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
    };
    // The walk reads the site list's keys only as far as it goes; past the
    // last site the cursor stays on the last.
    int row = m_sites.currentIndex();
    while (m_sites.hasRow(row) && firstLetter(row) < key.unicode())
        ++row;
    m_sites.moveTo(row);
}

void SubmissionDatabase::hideCurrentSite()
{
    requireOpen(Table::Sites);
    if (m_sites.currentIndex() < 0)
        return;
    const bool hidden = m_sites.flag(m_sites.currentIndex(), QStringLiteral("Hide"));
    Sql::exec(m_db, QStringLiteral("UPDATE Sites.Sites SET Hide = ? WHERE SiteName = ?"),
        {hidden ? 0 : 1, m_sites.currentSiteName()});
    m_sites.refresh();
}

void SubmissionDatabase::setShowHiddenSites(bool on)
{
    m_showHidden = on;
    setSiteFilter(on ? QStringLiteral("Dead=False") : QString::fromLatin1(DefaultSiteFilter));
}

bool SubmissionDatabase::clearFlagsForAllSites(const QString& flag, const QString& windowCaption)
{
    if (flag != QLatin1String("Submitted") && flag != QLatin1String("Published"))
        throw QuilletError(QStringLiteral("Unknown flag %1").arg(flag));
    const QString program = m_properties[PropertyCatalogue::ProgramName].getValue();
    const QString question
        = QStringLiteral("Are you sure you want to clear all the \"%1\" flags for program \"%2\"?").arg(flag, program);
    if (!MessageSink::current().askYesNo(question, windowCaption))
        return false;
    requireOpen(Table::ProgSite);
    Sql::inTransaction(m_db, [&] {
        if (flag == QLatin1String("Published")) {
            Sql::exec(m_db,
                QStringLiteral("UPDATE ProgSite.ProgSite SET OldVersion = 1 WHERE ProgramName = ? AND Published = 1"),
                {program});
        }
        Sql::exec(m_db,
            QStringLiteral("UPDATE ProgSite.ProgSite SET %1 = 0 WHERE ProgramName = ?").arg(Sql::quoted(flag)),
            {program});
    });
    reloadProgramFlags();
    return true;
}

int SubmissionDatabase::replaceProgramAll(const QString& findText, const QString& replaceText)
{
    requireOpen(Table::ProgSite);
    QSqlQuery query = Sql::exec(m_db,
        QStringLiteral("UPDATE ProgSite.ProgSite SET ProgramName = ? WHERE ProgramName = ?"), {replaceText, findText});
    const int changed = query.numRowsAffected();
    query.finish();
    reloadProgramFlags();
    return changed;
}

bool SubmissionDatabase::updateSites()
{
    SiteListMerge merge(*this);
    const bool committed = merge.run();
    // The merge changes Sites only: the program's flags stay as they were read.
    if (committed)
        m_sites.refresh();
    return committed;
}

int SubmissionDatabase::tableVersion(Table table) const
{
    requireOpen(table);
    const int version = TableSchema::readVersion(m_db, table);
    return version == 0 ? 100 : version;
}

int SubmissionDatabase::rowCount(Table table) const
{
    requireOpen(table);
    const QString name = Sql::quoted(TableSchema::tableName(table));
    return Sql::scalar(m_db, QStringLiteral("SELECT count(*) FROM %1.%1").arg(name)).toInt();
}
