#pragma once

#include <QString>

// Where the form files of a site live: all in the folder "SiteData" of the
// program directory. The bare file names of the site form map and of the site
// values file are cleaned with stripFileNameChars, so a site or program name
// can neither leave the folder nor hold characters that file names cannot.
class FormFileNames {
public:
    // programDirectory ends in a separator, as the program directory always does.
    static QString siteDataFolder(const QString& programDirectory);
    // SiteData/<SiteName>.xml
    static QString siteMap(const QString& programDirectory, const QString& siteName);
    // SiteData/General.xml
    static QString generalMap(const QString& programDirectory);
    // SiteData/<ProgramName><SiteName>.ini
    static QString siteValues(const QString& programDirectory, const QString& programName, const QString& siteName);
};
