#include "SmtpSettings.h"

#include "MessageTranslator.h"
#include "QuilletError.h"
#include "Settings.h"

SmtpSettings SmtpSettings::fromConfig(const Settings& config)
{
    SmtpSettings smtp;
    smtp.host = config.hostAddress;
    smtp.port = config.emailPort;
    smtp.securityText = config.emailSecurity;
    if (!parseSecurity(config.emailSecurity, smtp.security))
        smtp.security = Security::Tls; // never taken: check() refuses the text first
    smtp.authentication = config.authentication;
    smtp.loginId = config.emailLoginId;
    smtp.password = config.emailPassword;
    smtp.caFile = config.emailCaFile;
    smtp.from = config.from;
    return smtp;
}

bool SmtpSettings::parseSecurity(const QString& text, Security& security)
{
    const QString name = text.trimmed().toLower();
    if (name.isEmpty() || name == QLatin1String("none"))
        security = Security::None;
    else if (name == QLatin1String("starttls"))
        security = Security::StartTls;
    else if (name == QLatin1String("tls"))
        security = Security::Tls;
    else
        return false;
    return true;
}

QString SmtpSettings::securityName(Security security)
{
    switch (security) {
    case Security::StartTls:
        return QStringLiteral("starttls");
    case Security::Tls:
        return QStringLiteral("tls");
    case Security::None:
        break;
    }
    return QStringLiteral("none");
}

void SmtpSettings::check() const
{
    if (port == 0)
        // What the settings store keeps for a port that is no number.
        throw QuilletError(translateMsg(QStringLiteral("The SMTP port set in the [EMail] section of quillet.ini is "
                                                       "not a number: give a number from 1 to 65535.")));
    if (port < 1 || port > 65535)
        throw QuilletError(
            translateMsg(QStringLiteral("The SMTP port %1 is not valid: give a number from 1 to 65535.")).arg(port));
    Security parsed = Security::None;
    if (!parseSecurity(securityText, parsed))
        throw QuilletError(
            translateMsg(QStringLiteral("The SMTP security \"%1\" is not known: give none, starttls or tls."))
                .arg(securityText));
}
