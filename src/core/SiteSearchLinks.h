#pragma once

#include <QString>

// Addresses of the web translation and web search services the Sites menu
// opens for the current site. The site address and program name are inserted
// as they are; the browser encodes what it must.
namespace SiteSearchLinks {

// The site's home page translated from language code ("de", "es", "pt",
// "fr", "it") to English; the home address is trimmed.
QString translation(const QString& homeAddress, const QString& languageCode);

// A search for the program's name as an exact phrase on the site.
QString siteSearch(const QString& programName, const QString& homeAddress);

} // namespace SiteSearchLinks
