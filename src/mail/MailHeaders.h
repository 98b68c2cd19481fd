#pragma once

#include "OutgoingMail.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The header lines of a mail, built so that nothing the user typed can start
// a header of its own: every value is on one line or folded with CR LF and a
// blank, text outside printable ASCII goes into RFC 2047 encoded words, and
// addresses come from AddressList, which lets no blank or control through.
class MailHeaders {
public:
    static constexpr const char* MailerName = "Orlan Mail";

    // text with every line break (CR LF, CR, LF, and the Unicode line and
    // paragraph separators) and every other control character turned into a blank.
    static QString singleLine(const QString& text);

    // An unstructured header value (the subject): printable ASCII as it is,
    // anything else (or a very long text) as UTF-8 "B" encoded words of at most
    // 75 characters, folded with CR LF and a blank.
    static QByteArray encodeText(const QString& text);

    // "Name <address>", with the name quoted or encoded as it needs; the bare
    // address when there is no name.
    static QByteArray mailbox(const MailAddress& mailbox);

    // The mailboxes separated by commas, folded after each comma.
    static QByteArray addressList(const QVector<MailAddress>& list);

    // From, To, Cc (when there is one), Subject, Date, Message-ID, X-Mailer and
    // Disposition-Notification-To, each without its line end. No Bcc.
    static QList<QByteArray> compose(const OutgoingMail& mail);

    // A fresh Message-ID (without brackets) for mail sent from address.
    static QString newMessageId(const QString& address);
};
