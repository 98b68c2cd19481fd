// The floor of a site list merge: what the bare libraries need to do the same
// work. Reads sites.csv out of the archive as a stream (libzip), splits each
// line at its commas (double quotes respected), and upserts every live site
// with one prepared statement in one transaction (Qt Sql over SQLite), into a
// Sites table of the program's structure, made when missing.
//
//   bench_merge_floor SITES_FILE ARCHIVE
#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <zip.h>

#include <cstdio>
#include <vector>

namespace {

const char* const kCreate
    = "CREATE TABLE IF NOT EXISTS Sites (\"SiteName\" VARCHAR(60), \"HomeUrl\" VARCHAR(250), \"SearchUrl\" "
      "VARCHAR(250), \"SubmitUrl\" VARCHAR(250), \"UpdateUrl\" VARCHAR(250), \"Notes\" TEXT, \"CountryCode\" "
      "VARCHAR(10), \"VelmoraFriendly\" BOOLEAN DEFAULT 0, \"Pad\" BOOLEAN DEFAULT 0, \"AntiFreeSpeech\" BOOLEAN "
      "DEFAULT 0, \"Ftp\" BOOLEAN DEFAULT 0, \"PollsPAD\" BOOLEAN DEFAULT 0, \"Rating\" INTEGER, \"Username\" "
      "VARCHAR(60), \"Password\" VARCHAR(60), \"UserNotes\" TEXT, \"Dead\" BOOLEAN DEFAULT 0, \"Hide\" BOOLEAN "
      "DEFAULT 0, \"EMail\" VARCHAR(50), PRIMARY KEY (\"SiteName\"))";
const char* const kIndex
    = "CREATE INDEX IF NOT EXISTS Sites_SiteOrder ON Sites (\"SiteName\" COLLATE NOCASE, \"SiteName\")";
const char* const kUpsert
    = "INSERT INTO Sites (SiteName, HomeUrl, SearchUrl, SubmitUrl, UpdateUrl, Notes, VelmoraFriendly, Pad, "
      "AntiFreeSpeech, Ftp, PollsPAD, CountryCode, Rating, Dead) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 0) "
      "ON CONFLICT (SiteName) DO UPDATE SET HomeUrl = excluded.HomeUrl, SearchUrl = excluded.SearchUrl, SubmitUrl "
      "= excluded.SubmitUrl, UpdateUrl = excluded.UpdateUrl, Notes = excluded.Notes, VelmoraFriendly = "
      "excluded.VelmoraFriendly, Pad = excluded.Pad, AntiFreeSpeech = excluded.AntiFreeSpeech, Ftp = excluded.Ftp, "
      "PollsPAD = excluded.PollsPAD, CountryCode = excluded.CountryCode, Rating = excluded.Rating, Dead = 0";

// Sixteen fields of a line; a field in double quotes keeps its commas.
void splitLine(const QByteArray& line, std::vector<QByteArray>& fields)
{
    fields.assign(16, QByteArray());
    size_t field = 0;
    bool quoted = false;
    for (const char c : line) {
        if (c == '"') {
            quoted = !quoted;
            continue;
        }
        if (c == ',' && !quoted) {
            if (++field == fields.size())
                return;
            continue;
        }
        fields[field] += c;
    }
}

void merge(QSqlQuery& upsert, const QByteArray& line, std::vector<QByteArray>& fields)
{
    if (line.isEmpty())
        return;
    splitLine(line, fields);
    if (fields[15] == "True")
        return;
    upsert.bindValue(0, QString::fromUtf8(fields[0]));
    for (int i = 1; i <= 5; ++i)
        upsert.bindValue(i, QString::fromUtf8(fields[size_t(i)]));
    for (int i = 6; i <= 10; ++i)
        upsert.bindValue(i, fields[size_t(i)] == "True" ? 1 : 0);
    upsert.bindValue(11, QString::fromUtf8(fields[11]));
    upsert.bindValue(12, fields[12].isEmpty() ? QVariant(QMetaType(QMetaType::Int)) : QVariant(fields[12].toInt()));
    if (!upsert.exec())
        qFatal("%s", qPrintable(upsert.lastError().text()));
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE");
    db.setDatabaseName(QString::fromLocal8Bit(argv[1]));
    if (!db.open())
        return 1;
    QSqlQuery query(db);
    if (!query.exec(kCreate) || !query.exec(kIndex))
        return 1;

    int error = 0;
    zip_t* archive = zip_open(argv[2], ZIP_RDONLY, &error);
    zip_file_t* list = archive ? zip_fopen(archive, "sites.csv", 0) : nullptr;
    if (!list)
        return 1;

    db.transaction();
    QSqlQuery upsert(db);
    upsert.prepare(kUpsert);
    std::vector<QByteArray> fields;
    QByteArray pending;
    char buffer[1 << 16];
    zip_int64_t read = 0;
    while ((read = zip_fread(list, buffer, sizeof buffer)) > 0) {
        qsizetype start = 0;
        for (qsizetype i = 0; i < read; ++i) {
            if (buffer[i] != '\n')
                continue;
            pending.append(buffer + start, i - start);
            if (pending.endsWith('\r'))
                pending.chop(1);
            merge(upsert, pending, fields);
            pending.clear();
            start = i + 1;
        }
        pending.append(buffer + start, read - start);
    }
    merge(upsert, pending, fields);
    zip_fclose(list);
    zip_discard(archive);
    return db.commit() ? 0 : 1;
}
