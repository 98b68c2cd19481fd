#include "UpdateServerAddress.h"

#include "MessageTranslator.h"
#include "PrintableText.h"

#include <QDir>
#include <QRegularExpression>

UpdateServerAddress::UpdateServerAddress(const QString& base)
    : m_base(base.trimmed())
    , m_url(m_base, QUrl::StrictMode)
{
    const QString scheme = m_url.scheme().toLower();
    m_valid = !m_base.isEmpty() && m_url.isValid()
        && (scheme == QLatin1String("http") || scheme == QLatin1String("https")) && !m_url.host().isEmpty()
        && m_url.userInfo().isEmpty() && !m_url.hasQuery() && !m_url.hasFragment();
}

QUrl UpdateServerAddress::urlFor(const QString& path) const
{
    QUrl url = m_url;
    QString folder = url.path();
    while (folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    url.setPath(folder + path);
    return url;
}

QString UpdateServerAddress::shownBase() const
{
    // Whatever the text holds between "//" and "@" may be a password.
    QString text = m_base;
    static const QRegularExpression userInfo(QStringLiteral("^([^/]*//)[^/?#]*@"));
    text.replace(userInfo, QStringLiteral("\\1"));
    return printableText(text);
}

QString UpdateServerAddress::problem(const QString& settingsFile) const
{
    const QString file = QDir::toNativeSeparators(settingsFile);
    if (isEmpty())
        // The example line is an argument: a language file's key cannot hold "=".
        return translateMsg(QStringLiteral("No update server is set. Add a line such as %1 to the [Config] section "
                                           "of %2."))
            .arg(QStringLiteral("UpdateServer=https://updates.example.com"), file);
    if (!isValid())
        return translateMsg(QStringLiteral("The update server \"%1\" set in the [Config] section of %2 is not an "
                                           "http:// or https:// address of a server without a login in it."))
            .arg(shownBase(), file);
    return QString();
}
