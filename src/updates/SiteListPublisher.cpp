#include "SiteListPublisher.h"

#include "IniDocument.h"
#include "QuilletError.h"
#include "ReplacingFile.h"
#include "SiteListCsv.h"
#include "Sql.h"
#include "SubmissionDatabase.h"
#include "UpdateManifest.h"
#include "ZipWriter.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlQuery>

namespace {

// The columns of fields 0 to 12, in field order.
const QStringList kCentralColumns {QStringLiteral("SiteName"), QStringLiteral("HomeUrl"), QStringLiteral("SearchUrl"),
    QStringLiteral("SubmitUrl"), QStringLiteral("UpdateUrl"), QStringLiteral("Notes"),
    QStringLiteral("VelmoraFriendly"), QStringLiteral("Pad"), QStringLiteral("AntiFreeSpeech"), QStringLiteral("Ftp"),
    QStringLiteral("PollsPAD"), QStringLiteral("CountryCode"), QStringLiteral("Rating")};
constexpr int kFirstFlag = 6;
constexpr int kLastFlag = 10;
constexpr int kRating = 12;

QString ratingText(const QVariant& value, const QString& siteName)
{
    if (value.isNull())
        return QString();
    const QString text = value.toString().trimmed();
    bool ok = false;
    text.toInt(&ok);
    if (!ok)
        throw QuilletError(QStringLiteral("The rating of site \"%1\" is no whole number: %2").arg(siteName, text));
    return text;
}

// What the web server serves: readable by all, writable by the owner.
constexpr QFileDevice::Permissions kServedFile
    = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;

// A sub-folder of the published folder; a link standing at its name is
// replaced by a real folder, never followed.
void makeFolder(const QString& path)
{
    const QFileInfo info(path);
    if (info.isSymLink() && !QFile::remove(path))
        throw QuilletError(QStringLiteral("Cannot replace the link %1").arg(QDir::toNativeSeparators(path)));
    if (!QDir().mkpath(path) || QFileInfo(path).isSymLink())
        throw QuilletError(QStringLiteral("Cannot create folder %1").arg(QDir::toNativeSeparators(path)));
}

// Replaces path whole; a link standing at the name is replaced, not written through.
void writeAtomically(const QString& path, const QByteArray& bytes)
{
    QString error;
    if (!ReplacingFile::replace(path, bytes, kServedFile, &error))
        throw QuilletError(QStringLiteral("Cannot write file %1. %2").arg(QDir::toNativeSeparators(path), error));
}

} // namespace

QByteArray SiteListPublisher::siteList(Result& result) const
{
    m_dm.requireOpen(Table::Sites);
    QSqlQuery query = Sql::exec(m_dm.database(),
        QStringLiteral("SELECT %1, Dead FROM Sites.Sites ORDER BY SiteName")
            .arg(kCentralColumns.join(QStringLiteral(", "))));
    QString text;
    while (query.next()) {
        const QString siteName = query.value(0).toString();
        QStringList values;
        for (int i = 0; i < kCentralColumns.size(); ++i) {
            QString value;
            if (i >= kFirstFlag && i <= kLastFlag)
                value = SiteListCsv::boolean(query.value(i).toInt() != 0);
            else if (i == kRating)
                value = ratingText(query.value(i), siteName);
            else
                value = query.value(i).toString();
            if (SiteListCsv::oneLine(value) != value)
                result.changed.append(
                    QStringLiteral("%1 of site \"%2\"").arg(kCentralColumns.at(i), SiteListCsv::oneLine(siteName)));
            values.append(value);
        }
        const bool dead = query.value(kCentralColumns.size()).toInt() != 0;
        values.append(QString());
        values.append(QString());
        values.append(SiteListCsv::boolean(dead));
        text += SiteListCsv::line(values) + QStringLiteral("\r\n");
        ++result.sites;
        if (dead)
            ++result.dead;
    }
    return text.toUtf8();
}

SiteListPublisher::Result SiteListPublisher::publish(
    const QString& folder, double sitesVersion, double programVersion) const
{
    Result result;
    const QByteArray list = siteList(result);
    const QByteArray archive = ZipWriter::archive({{QStringLiteral("sites.csv"), list}});

    const QDir root(folder);
    const QString download = root.filePath(QStringLiteral("download"));
    const QString members = root.filePath(QStringLiteral("members"));
    makeFolder(download);
    makeFolder(members);

    result.archiveFile = QDir(members).filePath(QStringLiteral("sites.zip"));
    writeAtomically(result.archiveFile, archive);

    IniDocument manifest;
    manifest.writeString(
        QStringLiteral("Versions"), QStringLiteral("QuilletVer"), UpdateManifest::fileText(programVersion));
    manifest.writeString(
        QStringLiteral("Versions"), QStringLiteral("SitesVer"), UpdateManifest::fileText(sitesVersion));
    result.manifestFile = QDir(download).filePath(QStringLiteral("quilletver.ini"));
    writeAtomically(result.manifestFile, manifest.toBytes());
    return result;
}
