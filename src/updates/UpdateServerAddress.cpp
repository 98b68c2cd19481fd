#include "UpdateServerAddress.h"

#include "Helpers.h"
#include "MessageTranslator.h"
#include "PrintableText.h"

#include <QDir>
#include <QRegularExpression>

UpdateServerAddress::UpdateServerAddress(const QString& base)
    : m_base(base.trimmed())
    , m_url(m_base, QUrl::StrictMode)
{
    m_valid = isHttpServerAddress(m_base);
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
        return translateMsg(QStringLiteral("No update server is set. Enter its address under \"Update server\" on "
                                           "the General page of View > Options, or add a line such as %1 to the "
                                           "[Config] section of %2."))
            .arg(QStringLiteral("UpdateServer=https://updates.example.com"), file);
    if (!isValid())
        return translateMsg(QStringLiteral("The update server \"%1\" set in the [Config] section of %2 is not an "
                                           "http:// or https:// address of a server without a login in it. Correct "
                                           "it under \"Update server\" on the General page of View > Options."))
            .arg(shownBase(), file);
    return QString();
}
