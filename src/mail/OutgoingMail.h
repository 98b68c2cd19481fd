#pragma once

#include "MailAddress.h"

#include <QDateTime>
#include <QString>
#include <QVector>

// One mail as the sender hands it to the server: the parsed addresses, the
// subject and body as typed, and an optional file to attach.
struct OutgoingMail {
    MailAddress from;
    QVector<MailAddress> to;
    QVector<MailAddress> cc;
    QVector<MailAddress> bcc; // envelope only, never a header
    QString subject;
    QString body;           // any of CR LF, LF and CR end its lines
    QString attachmentPath; // empty: nothing attached
    QDateTime date;
    QString messageId; // without angle brackets

    // Every recipient of the envelope: To, CC and BCC, in that order.
    QVector<MailAddress> recipients() const { return to + cc + bcc; }
};
