#include "SiteListMerge.h"

#include "FieldSplitter.h"
#include "MessageSink.h"
#include "MessageTranslation.h"
#include "QuilletError.h"
#include "ReplacingFile.h"
#include "Settings.h"
#include "SiteListReader.h"
#include "Sql.h"
#include "SubmissionDatabase.h"
#include "ZipExtractor.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSqlQuery>

namespace {

constexpr int kFieldCount = 16;
constexpr int kRatingField = 12;
constexpr int kDeadField = 15;
// A template larger than this is no template of the author's: it is not copied.
constexpr qint64 kLargestTemplate = 16 * 1024 * 1024;
const QString kListName = QStringLiteral("sites.csv");

const QString kColumns = QStringLiteral("SiteName, HomeUrl, SearchUrl, SubmitUrl, UpdateUrl, Notes, VelmoraFriendly, "
                                        "Pad, AntiFreeSpeech, Ftp, PollsPAD, CountryCode, Rating");

QVariant booleanField(const QString& text)
{
    return text == QLatin1String("True") ? 1 : 0;
}

QVariant ratingField(const QString& text)
{
    if (text.isEmpty())
        return QVariant(QMetaType(QMetaType::Int));
    bool ok = false;
    const int rating = text.toInt(&ok);
    if (!ok)
        throw QuilletError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return rating;
}

void showExtractError(const QString& what)
{
    MessageSink::current().showMessage(
        translateMessage(QStringLiteral("Could not extract")) + QStringLiteral(": ") + what,
        translateMessage(QStringLiteral("Extract Error")));
}

bool hasExtension(const QString& name, const char* extension)
{
    const QString suffix = QLatin1Char('.') + QLatin1String(extension);
    return name.size() > suffix.size() && name.endsWith(suffix, Qt::CaseInsensitive);
}

// Removes what stands at the list's name: a file or a link, or a folder left
// by an earlier archive when it is empty.
void removeStaleList(const QString& path)
{
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink())
        QDir().rmdir(path);
    else if (info.exists() || info.isSymLink())
        QFile::remove(path);
}

// The statements of one merge: an upsert by site name when the table's key
// allows it, else an update followed, when it changed no row, by an insert.
class SiteWriter {
public:
    explicit SiteWriter(const QSqlDatabase& db)
        : m_upsert(db)
        , m_update(db)
        , m_insert(db)
    {
        m_useUpsert = m_upsert.prepare(QStringLiteral(
            "INSERT INTO Sites.Sites (%1, Dead) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 0) "
            "ON CONFLICT (SiteName) DO UPDATE SET HomeUrl = excluded.HomeUrl, SearchUrl = "
            "excluded.SearchUrl, SubmitUrl = excluded.SubmitUrl, UpdateUrl = excluded.UpdateUrl, Notes "
            "= excluded.Notes, VelmoraFriendly = excluded.VelmoraFriendly, Pad = excluded.Pad, "
            "AntiFreeSpeech = excluded.AntiFreeSpeech, Ftp = excluded.Ftp, PollsPAD = excluded.PollsPAD, "
            "CountryCode = excluded.CountryCode, Rating = excluded.Rating, Dead = 0")
                                           .arg(kColumns));
        if (m_useUpsert)
            return;
        if (!m_update.prepare(QStringLiteral(
                "UPDATE Sites.Sites SET HomeUrl = ?, SearchUrl = ?, SubmitUrl = ?, UpdateUrl = ?, Notes = ?, "
                "VelmoraFriendly = ?, Pad = ?, AntiFreeSpeech = ?, Ftp = ?, PollsPAD = ?, CountryCode = ?, Rating = ?, "
                "Dead = 0 WHERE SiteName = ?")))
            throw QuilletError(Sql::errorText(m_update));
        if (!m_insert.prepare(
                QStringLiteral("INSERT INTO Sites.Sites (%1, Dead) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 0)")
                    .arg(kColumns)))
            throw QuilletError(Sql::errorText(m_insert));
    }

    // values: the site name, then the twelve merged fields in column order.
    void write(const QVariantList& values)
    {
        if (m_useUpsert) {
            Sql::run(m_upsert, values);
            return;
        }
        QVariantList byName = values.mid(1);
        byName.append(values.first());
        Sql::run(m_update, byName);
        if (m_update.numRowsAffected() == 0)
            Sql::run(m_insert, values);
    }

private:
    QSqlQuery m_upsert;
    QSqlQuery m_update;
    QSqlQuery m_insert;
    bool m_useUpsert = false;
};

} // namespace

bool SiteListMerge::isSiteListMember(const QString& name)
{
    if (name == kListName)
        return true;
    if (name.contains(QLatin1Char('/'))) {
        const QString inFolder = name.section(QLatin1Char('/'), 1);
        return name.startsWith(QLatin1String("SiteData/")) && !inFolder.contains(QLatin1Char('/'))
            && (hasExtension(inFolder, "xml") || hasExtension(inFolder, "txt"));
    }
    return hasExtension(name, "lng");
}

bool SiteListMerge::run()
{
    const QString folder = m_dm.config().programDirectory();
    const QString archive = folder + QStringLiteral("sites.zip");
    if (!QFile::exists(archive))
        return false;
    const QString listPath = folder + kListName;
    removeStaleList(listPath);
    extract(archive);
    QFile::remove(archive);

    QFile listFile(listPath);
    const QFileInfo listInfo(listPath);
    if (listInfo.isDir() || !listFile.open(QIODevice::ReadOnly))
        throw QuilletError(
            QStringLiteral("Cannot open file \"%1\". %2")
                .arg(listPath, listInfo.isDir() ? QStringLiteral("It is a folder.") : listFile.errorString()));

    SiteCursor& sites = m_dm.sites();
    sites.setFiltered(false);
    bool committed = false;
    try {
        SiteListReader reader(listFile);
        mergeLines(reader);
        committed = true;
    } catch (const QuilletError& error) {
        MessageSink::current().showMessage(error.text());
    }
    listFile.close();
    listFile.remove();
    sites.setFiltered(true);
    return committed;
}

void SiteListMerge::extract(const QString& archive)
{
    const QString folder = m_dm.config().programDirectory();
    // The author's own templates, read before the archive's may replace them.
    QHash<QString, QByteArray> templates;
    const auto accept = [&](const QString& name) {
        if (!isSiteListMember(name))
            return false;
        if (name.startsWith(QLatin1String("SiteData/")) && hasExtension(name, "txt")) {
            const QString path = folder + name;
            const QFileInfo info(path);
            QFile file(path);
            if (info.isFile() && !info.isSymLink() && info.size() <= kLargestTemplate && file.open(QIODevice::ReadOnly))
                templates.insert(name, file.readAll());
        }
        return true;
    };
    try {
        const ZipExtractor::Result result = ZipExtractor::extract(archive, folder, accept);
        keepReplacedTemplates(templates, result.extracted);
        if (result.skipped.isEmpty())
            return;
        QStringList names;
        for (const ZipExtractor::Skipped& skipped : result.skipped)
            names.append(QStringLiteral("%1 (%2)").arg(skipped.name, skipped.reason));
        showExtractError(names.join(QStringLiteral(", ")));
    } catch (const QuilletError&) {
        showExtractError(archive);
    }
}

void SiteListMerge::keepReplacedTemplates(const QHash<QString, QByteArray>& templates, const QStringList& extracted)
{
    const QString folder = m_dm.config().programDirectory();
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QStringList kept;
    for (auto it = templates.cbegin(); it != templates.cend(); ++it) {
        if (!extracted.contains(it.key()))
            continue;
        QFile now(folder + it.key());
        if (now.open(QIODevice::ReadOnly) && now.read(kLargestTemplate + 1) == it.value())
            continue;
        // A copy made in the same second keeps its own name.
        QString copy = folder + it.key() + QStringLiteral(".local-") + stamp;
        for (int n = 2; QFileInfo::exists(copy) || QFileInfo(copy).isSymLink(); ++n)
            copy = folder + it.key() + QStringLiteral(".local-") + stamp + QLatin1Char('-') + QString::number(n);
        QString error;
        if (ReplacingFile::replace(copy, it.value(), QFileDevice::ReadOwner | QFileDevice::WriteOwner, &error))
            kept.append(translateMessage(QStringLiteral("The site list replaced your %1; your copy is kept as %2."))
                            .arg(QDir::toNativeSeparators(folder + it.key()), QDir::toNativeSeparators(copy)));
        else
            kept.append(translateMessage(QStringLiteral("The site list replaced your %1, and your copy could not "
                                                        "be kept: %2"))
                            .arg(QDir::toNativeSeparators(folder + it.key()), error));
    }
    if (!kept.isEmpty())
        MessageSink::current().showMessage(kept.join(QLatin1Char('\n')));
}

void SiteListMerge::mergeLines(SiteListReader& reader)
{
    m_dm.requireOpen(Table::Sites);
    QSqlDatabase db = m_dm.database();
    Sql::inTransaction(db, [&] {
        SiteWriter writer(db);
        QString line;
        QVariantList values;
        values.reserve(kRatingField + 1);
        while (reader.readLine(line)) {
            // A blank line names no site.
            if (line.trimmed().isEmpty())
                continue;
            const QStringList fields = splitFields(line, QLatin1Char(','), kFieldCount);
            if (fields.at(kDeadField) == QLatin1String("True"))
                continue;
            values.clear();
            // A site without a name is the site named "", merged like any
            // other, never a new nameless row at every merge.
            values << (fields.at(0).isNull() ? QStringLiteral("") : fields.at(0));
            for (int i = 1; i <= 5; ++i)
                values << fields.at(i);
            for (int i = 6; i <= 10; ++i)
                values << booleanField(fields.at(i));
            values << fields.at(11) << ratingField(fields.at(kRatingField));
            writer.write(values);
        }
    });
}
