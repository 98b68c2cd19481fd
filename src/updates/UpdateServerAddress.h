#pragma once

#include <QString>
#include <QUrl>

// The update server's base address as the setting [Config] UpdateServer holds
// it: "http://host", "https://host:port" or either with a folder, to which
// the server paths ("/download/quilletver.ini") are appended.
class UpdateServerAddress {
public:
    explicit UpdateServerAddress(const QString& base);

    bool isEmpty() const { return m_base.isEmpty(); }
    // An http or https address with a host, and without a login, query or fragment.
    bool isValid() const { return m_valid; }

    // The base with path appended; only meaningful for a valid address.
    QUrl urlFor(const QString& path) const;

    // What to tell the user when the address is empty or not valid (translated),
    // naming the settings file to put it in.
    QString problem(const QString& settingsFile) const;

    // The address as the settings hold it, without any login ("user:password@")
    // and with control characters replaced: fit for a message.
    QString shownBase() const;

private:
    QString m_base;
    QUrl m_url;
    bool m_valid = false;
};
