#pragma once

#include <QDateTime>
#include <QString>

// What the mail window's boxes held at a send: the texts as they stand, line
// breaks included (CR LF, as the boxes give them).
struct MailFields {
    QString to;
    QString cc;
    QString bcc;
    QString subject;
    QString body;
    QString attachment;
};

// How a send attempt ended, for its log entry.
struct MailOutcome {
    bool sent = false;
    QString reason; // why it failed; empty when sent
    QDateTime when; // the time the attempt ended; now when not valid
};

// The mail log, program directory + "QuilletMail.log": a text file that only
// grows, one entry per send attempt that got past the settings check. It
// holds recipients, subjects and texts, so it is its owner's alone (0600).
class MailLog {
public:
    static QString fileName(const QString& programDirectory);

    // The entry's text, each line followed by CR LF, the labels in the
    // language in force:
    //   Date: yyyy-MM-dd HH:mm:ss UTC / To: ... / CC: ... / BCC: ... /
    //   Subject: ... / Result: sent (or failed: REASON) / (empty) /
    //   the message text / (empty) / Attachments: ... / 37 hyphens / (empty)
    // The one-line fields (the address boxes, subject, reason and attachment)
    // are flattened: a line break becomes a blank and any other control
    // character "?", so that no value can start a line of its own, fake an
    // entry or reach a terminal that shows the log as an escape sequence.
    static QString entry(const MailFields& fields, const MailOutcome& outcome);

    // Appends the entry and one more CR LF in UTF-8, creating the file 0600
    // when missing; what the file held stays as it was. Only a regular file
    // is written to, opened without waiting: a FIFO, a link or a folder at
    // the name is refused at once. When the file cannot be written, shows
    // "Could not access <path>" (with the reason) titled "Access Error" and
    // returns false; the mail's own outcome is not changed by it.
    static bool append(const QString& programDirectory, const MailFields& fields, const MailOutcome& outcome);
};
