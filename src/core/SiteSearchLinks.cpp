#include "SiteSearchLinks.h"

namespace SiteSearchLinks {

QString translation(const QString& homeAddress, const QString& languageCode)
{
    return QStringLiteral("https://translate.google.com/translate?u=") + homeAddress.trimmed()
        + QStringLiteral("&langpair=") + languageCode
        + QStringLiteral("%7Cen&hl=en&newwindow=1&safe=off&ie=UTF-8&oe=UTF-8&prev=%2Flanguage_tools");
}

QString siteSearch(const QString& programName, const QString& homeAddress)
{
    return QStringLiteral("https://www.google.com/search?as_q=%22") + programName
        + QStringLiteral("%22&num=20&hl=en&ie=UTF-8&oe=UTF-8&btnG=Google+Search&as_epq=&as_oq=&as_eq=&lr=&as_ft=i"
                         "&as_filetype=&as_qdr=all&as_occt=any&as_dt=i&as_sitesearch=")
        + homeAddress + QStringLiteral("&safe=images");
}

} // namespace SiteSearchLinks
