#include "FormFileNames.h"

#include "Helpers.h"

QString FormFileNames::siteDataFolder(const QString& programDirectory)
{
    return programDirectory + QStringLiteral("SiteData/");
}

QString FormFileNames::siteMap(const QString& programDirectory, const QString& siteName)
{
    return siteDataFolder(programDirectory) + stripFileNameChars(siteName + QStringLiteral(".xml"));
}

QString FormFileNames::generalMap(const QString& programDirectory)
{
    return siteDataFolder(programDirectory) + QStringLiteral("General.xml");
}

QString FormFileNames::siteValues(const QString& programDirectory, const QString& programName, const QString& siteName)
{
    return siteDataFolder(programDirectory) + stripFileNameChars(programName + siteName + QStringLiteral(".ini"));
}
