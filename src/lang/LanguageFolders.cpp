#include "LanguageFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMutex>

#include <algorithm>

#if !defined(QUILLET_SHIPPED_LANGUAGES) || !defined(QUILLET_SHIPPED_LANGUAGES_FROM_HELPERS)
#error "QUILLET_SHIPPED_LANGUAGES(_FROM_HELPERS) name the shipped languages' folder relative to the installed programs"
#endif

namespace {

const QString kSuffix = QStringLiteral(".lng");

QMutex& folderMutex()
{
    static QMutex mutex;
    return mutex;
}

QString& shippedFolderValue()
{
    static QString folder;
    return folder;
}

QString withSeparator(const QString& folder)
{
    if (folder.isEmpty() || folder.endsWith(QLatin1Char('/')))
        return folder;
    return folder + QLatin1Char('/');
}

QStringList languagesIn(const QString& folder)
{
    QStringList names;
    if (folder.isEmpty())
        return names;
    const QFileInfoList entries = QDir(folder).entryInfoList(
        {QStringLiteral("*") + kSuffix}, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::CaseSensitive);
    for (const QFileInfo& entry : entries) {
        const QString name = entry.fileName().chopped(kSuffix.size());
        if (!name.isEmpty())
            names.append(name);
    }
    return names;
}

} // namespace

void LanguageFolders::setShippedFolder(const QString& folder)
{
    const QMutexLocker lock(&folderMutex());
    shippedFolderValue() = withSeparator(folder);
}

QString LanguageFolders::shippedFolder()
{
    const QMutexLocker lock(&folderMutex());
    return shippedFolderValue();
}

QString LanguageFolders::installedFolder()
{
    const QString here = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    for (const QString& relative :
        {QStringLiteral(QUILLET_SHIPPED_LANGUAGES), QStringLiteral(QUILLET_SHIPPED_LANGUAGES_FROM_HELPERS)}) {
        const QString folder = QDir::cleanPath(here + relative);
        if (QFileInfo(folder).isDir())
            return withSeparator(folder);
    }
    return QString();
}

QStringList LanguageFolders::names(const QString& programDirectory)
{
    QStringList names = languagesIn(programDirectory);
    for (const QString& name : languagesIn(shippedFolder())) {
        if (!names.contains(name))
            names.append(name);
    }
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int order = a.compare(b, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a < b;
    });
    return names;
}

QString LanguageFolders::filePath(const QString& programDirectory, const QString& name)
{
    const QString own = programDirectory + name + kSuffix;
    const QString shipped = shippedFolder();
    if (shipped.isEmpty() || QFileInfo::exists(own))
        return own;
    const QString file = shipped + name + kSuffix;
    return QFileInfo::exists(file) ? file : own;
}
