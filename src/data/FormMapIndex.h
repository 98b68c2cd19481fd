#pragma once

#include <QSet>
#include <QString>

// Which sites have a form map of their own: the map files in the program
// directory's "SiteData" folder, listed once, so that asking for many sites
// costs no file look-up each. A map is "SiteData/<SiteName>.xml" with the
// name cleaned of characters a file name cannot hold, as form capture names it.
class FormMapIndex {
public:
    explicit FormMapIndex(const QString& programDirectory);

    bool hasMap(const QString& siteName) const;

private:
    QSet<QString> m_files;
};
