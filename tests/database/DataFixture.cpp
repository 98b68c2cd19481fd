#include "DataFixture.h"

#include "Sql.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>

namespace {

// A private connection to one file, removed when the scope ends.
class FileConnection {
public:
    explicit FileConnection(const QString& path)
        : m_name(QUuid::createUuid().toString())
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        if (!db.open())
            qFatal("cannot open %s", qPrintable(path));
    }
    ~FileConnection()
    {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }

private:
    QString m_name;
};

const char* const kProgramColumns10
    = "ProgramName VARCHAR(40), Version VARCHAR(20), VersionDate VARCHAR(20), FileSize INTEGER, Price VARCHAR(20), "
      "License VARCHAR(40), OS VARCHAR(250), Install VARCHAR(40), TrialPeriod VARCHAR(40), ExpireDate VARCHAR(20), "
      "ProgramUrl VARCHAR(250), PurchaseUrl VARCHAR(250), Keywords VARCHAR(30), ScreenShotUrl VARCHAR(250), "
      "IconUrl VARCHAR(250), Dl1 VARCHAR(250), Dl2 VARCHAR(250), Dl3 VARCHAR(250), Dl4 VARCHAR(250), "
      "PadUrl VARCHAR(250), SystemReq VARCHAR(250), Limitations VARCHAR(250), ReviewerNotes VARCHAR(250), "
      "Desc45 VARCHAR(45), Desc80 VARCHAR(80), Desc250 VARCHAR(250), Desc450 VARCHAR(450), Desc800 TEXT, "
      "Category VARCHAR(40), PRIMARY KEY (ProgramName)";
const char* const kSiteColumns10
    = "SiteName VARCHAR(60), HomeUrl VARCHAR(250), SearchUrl VARCHAR(250), SubmitUrl VARCHAR(250), "
      "UpdateUrl VARCHAR(250), Notes TEXT, CountryCode VARCHAR(10), VelmoraFriendly BOOLEAN, Pad BOOLEAN, "
      "AntiFreeSpeech BOOLEAN, Rating INTEGER, Username VARCHAR(60), Password VARCHAR(60), UserNotes TEXT, "
      "PRIMARY KEY (SiteName)";
const char* const kProgSiteColumns10 = "ProgramName VARCHAR(40), SiteName VARCHAR(60), Submitted BOOLEAN, "
                                       "Published BOOLEAN, OldVersion BOOLEAN, PRIMARY KEY (ProgramName, SiteName)";

} // namespace

DataFixture::DataFixture()
    : session(dir.path())
{ }

DataFixture::~DataFixture()
{
    close();
}

void DataFixture::open()
{
    session.start();
    m_dm = std::make_unique<SubmissionDatabase>(session.config(), session.properties());
    m_dm->open();
}

void DataFixture::close()
{
    m_dm.reset();
}

void DataFixture::addProgram(const QString& name, const QMap<int, QString>& values)
{
    m_dm->loadProgram(name);
    PropertyCatalogue& p = properties();
    p[PropertyCatalogue::ProgramName].setValue(name);
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        p[it.key()].setValue(it.value());
    m_dm->saveProgram(name);
}

void DataFixture::addSite(const QString& name, const QVariantMap& fields)
{
    QStringList columns {QStringLiteral("SiteName")};
    QVariantList values {name};
    for (auto it = fields.cbegin(); it != fields.cend(); ++it) {
        columns.append(it.key());
        values.append(it.value());
    }
    Sql::exec(m_dm->database(),
        QStringLiteral("INSERT INTO Sites.Sites (%1) VALUES (%2)")
            .arg(columns.join(QStringLiteral(", ")),
                QStringList(columns.size(), QStringLiteral("?")).join(QStringLiteral(", "))),
        values);
    m_dm->refreshData();
}

void DataFixture::addFlags(const QString& program, const QString& site, const QVariantMap& flags)
{
    QStringList columns {QStringLiteral("ProgramName"), QStringLiteral("SiteName")};
    QVariantList values {program, site};
    for (auto it = flags.cbegin(); it != flags.cend(); ++it) {
        columns.append(it.key());
        values.append(it.value());
    }
    Sql::exec(m_dm->database(),
        QStringLiteral("INSERT INTO ProgSite.ProgSite (%1) VALUES (%2)")
            .arg(columns.join(QStringLiteral(", ")),
                QStringList(columns.size(), QStringLiteral("?")).join(QStringLiteral(", "))),
        values);
    m_dm->refreshData();
}

static QVariantMap rowOf(const QSqlDatabase& db, const QString& sql, const QVariantList& params)
{
    QSqlQuery query = Sql::exec(db, sql, params);
    QVariantMap row;
    if (query.next()) {
        const QSqlRecord record = query.record();
        for (int i = 0; i < record.count(); ++i)
            row.insert(record.fieldName(i), query.value(i));
    }
    return row;
}

QVariantMap DataFixture::programRow(const QString& name)
{
    return rowOf(m_dm->database(), QStringLiteral("SELECT * FROM Programs.Programs WHERE ProgramName = ?"), {name});
}

QVariantMap DataFixture::siteRow(const QString& name)
{
    return rowOf(m_dm->database(), QStringLiteral("SELECT * FROM Sites.Sites WHERE SiteName = ?"), {name});
}

QVariantMap DataFixture::flagRow(const QString& program, const QString& site)
{
    return rowOf(m_dm->database(),
        QStringLiteral("SELECT * FROM ProgSite.ProgSite WHERE ProgramName = ? AND SiteName = ?"), {program, site});
}

QStringList DataFixture::visibleSites()
{
    QStringList names;
    for (int i = 0; i < m_dm->sites().count(); ++i)
        names.append(m_dm->sites().siteNameAt(i));
    return names;
}

void createVersion10Table(const QString& path, Table table, const QList<QVariantList>& rows)
{
    FileConnection connection(path);
    const QSqlDatabase db = connection.db();
    const QString name = TableSchema::tableName(table);
    const char* columns = table == Table::Programs ? kProgramColumns10
        : table == Table::Sites                    ? kSiteColumns10
                                                   : kProgSiteColumns10;
    Sql::exec(db, QStringLiteral("CREATE TABLE %1 (%2)").arg(name, QString::fromLatin1(columns)));
    if (table == Table::ProgSite)
        Sql::exec(db, QStringLiteral("CREATE INDEX ProgSite_SiteName ON ProgSite (SiteName)"));
    Sql::exec(db, QStringLiteral("PRAGMA user_version = 100"));
    for (const QVariantList& row : rows) {
        QStringList marks(row.size(), QStringLiteral("?"));
        Sql::exec(db, QStringLiteral("INSERT INTO %1 VALUES (%2)").arg(name, marks.join(QStringLiteral(", "))), row);
    }
}

QStringList columnsOfFile(const QString& path, const QString& table)
{
    FileConnection connection(path);
    QSqlQuery query = Sql::exec(connection.db(), QStringLiteral("PRAGMA table_info(%1)").arg(table));
    QStringList names;
    while (query.next())
        names.append(query.value(1).toString());
    return names;
}

int versionOfFile(const QString& path)
{
    FileConnection connection(path);
    return Sql::scalar(connection.db(), QStringLiteral("PRAGMA user_version")).toInt();
}
