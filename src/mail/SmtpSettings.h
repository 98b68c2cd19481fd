#pragma once

#include <QString>

class Settings;

// How the mail sender reaches the SMTP server: the [EMail] settings in force
// and the time limits of a conversation.
struct SmtpSettings {
    enum class Security {
        None,     // plain SMTP, as on port 25
        StartTls, // plain connection upgraded with STARTTLS, which the server must offer
        Tls,      // TLS from the first byte ("smtps")
    };

    QString host;
    int port = 25;
    Security security = Security::None;
    QString securityText = QStringLiteral("none"); // as stored, for the error about an unknown value
    bool authentication = false;
    QString loginId;
    QString password;
    QString caFile; // an extra PEM file of certificates to trust; empty: the system's store only
    QString from;

    int connectTimeoutSeconds = 30;
    int idleTimeoutSeconds = 60; // without any progress

    // The settings store's [EMail] values.
    static SmtpSettings fromConfig(const Settings& config);

    // The stored Security text: "none", "starttls" or "tls", letter case
    // ignored; anything else gives nothing.
    static bool parseSecurity(const QString& text, Security& security);
    static QString securityName(Security security);

    // MailSettingsValid: host and sender are both set.
    bool isValid() const { return !host.trimmed().isEmpty() && !from.trimmed().isEmpty(); }

    // Raises QuilletError for a port outside 1 to 65535 or an unknown
    // Security value, so a password is never sent in the clear by mistake.
    void check() const;
};
