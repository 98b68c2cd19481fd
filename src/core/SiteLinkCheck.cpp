#include "SiteLinkCheck.h"

#include "MessageTranslation.h"
#include "PrintableText.h"

#include <QDir>
#include <QFileInfo>

bool SiteLinkCheck::isAllowed(const QUrl& url) const
{
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https") || scheme == QLatin1String("mailto"))
        return url.isValid();
    if (scheme != QLatin1String("file") || !url.isLocalFile() || m_programDirectory.isEmpty())
        return false;
    // The page and the folder as they really are: neither ".." nor a link leads out.
    const QString folder = QFileInfo(m_programDirectory).canonicalFilePath();
    const QString page = QFileInfo(url.toLocalFile()).canonicalFilePath();
    return !folder.isEmpty() && !page.isEmpty() && page.startsWith(folder + QLatin1Char('/'));
}

QString SiteLinkCheck::refusalText(const QString& address)
{
    return translateMessage(
        QStringLiteral("The site address %1 is not an http, https or mailto address and was not opened."))
        .arg(printableText(address));
}
