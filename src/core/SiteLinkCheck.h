#pragma once

#include <QString>
#include <QUrl>

// Which addresses from the site list the browser may open: a merged list
// comes from a server, and a hostile one must not open pages that read the
// author's files. http, https and mailto addresses are opened; file
// addresses only for pages inside the program folder (the demo's local
// pages); anything else (other files, javascript:, data:, ftp:) is refused.
class SiteLinkCheck {
public:
    explicit SiteLinkCheck(QString programDirectory)
        : m_programDirectory(std::move(programDirectory))
    { }

    bool isAllowed(const QUrl& url) const;

    // "The site address <address> is not an http, https or mailto address
    // and was not opened." (translated).
    static QString refusalText(const QString& address);

private:
    QString m_programDirectory;
};
