#include "EmailTemplate.h"

#include "DataSelectorRows.h"
#include "MessageTranslator.h"
#include "QuilletError.h"
#include "RegularFile.h"
#include "TextDecoding.h"

#include <QFile>
#include <QFileInfo>

namespace {

[[noreturn]] void cannotOpen(const QString& path)
{
    throw QuilletError(translateMsg(QStringLiteral("Cannot open file %1")).arg(path));
}

bool namesAFile(const QString& siteName)
{
    for (const QChar c : siteName) {
        if (c == QLatin1Char('/') || c.unicode() < 0x20)
            return false;
    }
    return true;
}

} // namespace

QString EmailTemplate::folder(const QString& programDirectory)
{
    return programDirectory + QStringLiteral("SiteData/");
}

QString EmailTemplate::perSiteTemplate(const QString& programDirectory, const QString& siteName, const QString& suffix)
{
    if (!namesAFile(siteName))
        return QString();
    return folder(programDirectory) + siteName + suffix;
}

bool EmailTemplate::exists(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

QString EmailTemplate::submitTemplate(const QString& programDirectory, const QString& siteName)
{
    const QString own = perSiteTemplate(programDirectory, siteName, QStringLiteral("EmailTemplate.txt"));
    if (exists(own))
        return own;
    return folder(programDirectory) + QStringLiteral("EmailTemplate.txt");
}

QString EmailTemplate::updateTemplate(const QString& programDirectory, const QString& siteName)
{
    for (const QString& suffix : {QStringLiteral("UpdateEmailTemplate.txt"), QStringLiteral("EmailTemplate.txt")}) {
        const QString own = perSiteTemplate(programDirectory, siteName, suffix);
        if (exists(own))
            return own;
    }
    return folder(programDirectory) + QStringLiteral("EmailTemplate.txt");
}

QString EmailTemplate::friendlyRequestTemplate(const QString& programDirectory)
{
    return folder(programDirectory) + QStringLiteral("VelmoraFriendlyNoticeTemplate.txt");
}

QStringList EmailTemplate::load(const QString& path)
{
    // Only a regular file: opening a pipe would wait for a writer, a device never ends.
    QFile file;
    if (path.isEmpty() || RegularFile::open(file, path) != RegularFile::Problem::None)
        cannotOpen(path);
    if (file.size() > MaxFileSize)
        throw QuilletError(translateMsg(QStringLiteral("The template %1 is larger than %2 MB."))
                               .arg(path)
                               .arg(MaxFileSize / (1024 * 1024)));
    const QByteArray bytes = file.read(MaxFileSize + 1);
    if (file.error() != QFileDevice::NoError)
        cannotOpen(path);
    if (bytes.size() > MaxFileSize)
        throw QuilletError(translateMsg(QStringLiteral("The template %1 is larger than %2 MB."))
                               .arg(path)
                               .arg(MaxFileSize / (1024 * 1024)));
    return splitLines(decodeText(bytes));
}

QString EmailTemplate::expand(const QString& text, const DataSelectorRows& rows)
{
    QString result = text;
    const auto replace = [&result](const QString& caption, const QString& value) {
        const QString placeholder = QLatin1Char('%') + caption + QLatin1Char('%');
        const qsizetype growth = value.size() - placeholder.size();
        if (growth > 0) {
            const qsizetype count = result.count(placeholder);
            if (count > 0 && result.size() + count * growth > MaxExpandedSize)
                throw QuilletError(
                    translateMsg(QStringLiteral("The template grows beyond %1 million characters when expanded."))
                        .arg(MaxExpandedSize / (1024 * 1024)));
        }
        result.replace(placeholder, value, Qt::CaseSensitive);
    };
    for (int row = 0; row < DataSelectorRows::RowCount; ++row) {
        const QString caption = rows.caption(row);
        replace(caption, rows.value(rows.rowOfCaption(caption)));
        // A template written in English serves in every language.
        const QString english = rows.englishCaption(row);
        if (english != caption)
            replace(english, rows.value(rows.rowOfCaption(english)));
    }
    return result;
}
