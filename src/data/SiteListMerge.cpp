#include "SiteListMerge.h"

#include "Helpers.h"
#include "MessageSink.h"
#include "MessageTranslation.h"
#include "QuilletError.h"
#include "Settings.h"
#include "Sql.h"
#include "SubmissionDatabase.h"
#include "TextDecoding.h"
#include "ZipExtractor.h"

#include <QFile>
#include <QSqlQuery>

namespace {

constexpr int kDeadField = 15;

QVariant booleanField(const QString& line, int index)
{
    return getField(line, QLatin1Char(','), index) == QLatin1String("True") ? 1 : 0;
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

} // namespace

bool SiteListMerge::run()
{
    const QString folder = m_dm.config().programDirectory();
    const QString archive = folder + QStringLiteral("sites.zip");
    if (!QFile::exists(archive))
        return false;
    extract(archive);
    QFile::remove(archive);

    const QString listPath = folder + QStringLiteral("sites.csv");
    QFile listFile(listPath);
    if (!listFile.open(QIODevice::ReadOnly))
        throw QuilletError(QStringLiteral("Cannot open file \"%1\". %2").arg(listPath, listFile.errorString()));
    const QStringList lines = splitLines(decodeText(listFile.readAll()));
    listFile.close();
    listFile.remove();

    SiteCursor& sites = m_dm.sites();
    sites.setFiltered(false);
    bool committed = false;
    try {
        mergeLines(lines);
        committed = true;
    } catch (const QuilletError& error) {
        MessageSink::current().showMessage(error.text());
    }
    sites.setFiltered(true);
    return committed;
}

void SiteListMerge::extract(const QString& archive)
{
    try {
        const ZipExtractor::Result result = ZipExtractor::extractAll(archive, m_dm.config().programDirectory());
        for (const QString& skipped : result.skipped)
            showExtractError(skipped + QStringLiteral(" (outside the program directory)"));
    } catch (const QuilletError&) {
        showExtractError(archive);
    }
}

void SiteListMerge::mergeLines(const QStringList& lines)
{
    m_dm.requireOpen(Table::Sites);
    QSqlDatabase db = m_dm.database();
    Sql::inTransaction(db, [&] {
        QSqlQuery update(db);
        update.prepare(
            QStringLiteral("UPDATE Sites.Sites SET HomeUrl = ?, SearchUrl = ?, SubmitUrl = ?, UpdateUrl = ?, "
                           "Notes = ?, VelmoraFriendly = ?, Pad = ?, AntiFreeSpeech = ?, Ftp = ?, PollsPAD = ?, "
                           "CountryCode = ?, Rating = ?, Dead = 0 WHERE SiteName = ?"));
        QSqlQuery insert(db);
        insert.prepare(QStringLiteral("INSERT INTO Sites.Sites (HomeUrl, SearchUrl, SubmitUrl, UpdateUrl, Notes, "
                                      "VelmoraFriendly, Pad, AntiFreeSpeech, Ftp, PollsPAD, CountryCode, Rating, Dead, "
                                      "SiteName) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 0, ?)"));
        for (const QString& line : lines) {
            // A blank line names no site.
            if (line.trimmed().isEmpty())
                continue;
            if (getField(line, QLatin1Char(','), kDeadField) == QLatin1String("True"))
                continue;
            const auto text = [&](int index) { return QVariant(getField(line, QLatin1Char(','), index)); };
            const QVariantList values {text(1), text(2), text(3), text(4), text(5), booleanField(line, 6),
                booleanField(line, 7), booleanField(line, 8), booleanField(line, 9), booleanField(line, 10), text(11),
                ratingField(getField(line, QLatin1Char(','), 12)), text(0)};
            Sql::run(update, values);
            if (update.numRowsAffected() == 0)
                Sql::run(insert, values);
        }
    });
}
