#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Turns what the SMTP client reports of a conversation into status lines for
// the user: its own notes as they are, each command sent as "> COMMAND" and
// each server reply line as "< REPLY". The login is never shown: from an
// AUTH command until the server's answer to it, every line sent is replaced
// by "> (login data hidden)", and so is an initial response on the AUTH line.
class SmtpTranscript {
public:
    enum class Direction { Info, Sent, Received };

    // The status lines of one report of the client; text may hold several
    // lines or none. Empty lines are dropped.
    QStringList lines(Direction direction, const QByteArray& text);

    static QString hiddenLine() { return QStringLiteral("> (login data hidden)"); }

private:
    QString line(Direction direction, const QString& text);

    bool m_inLogin = false;
};
