#pragma once

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

// The mail log, program directory + "QuilletMail.log": a text file that only
// grows, one entry per send attempt that got past the settings check.
class MailLog {
public:
    static QString fileName(const QString& programDirectory);

    // The entry's text: its ten lines each followed by CR LF, the labels in the
    // language in force:
    //   To: ... / CC: ... / BCC: ... / Subject: ... / (empty)
    //   those five lines again, followed directly by the message text
    //   (empty) / Attachments: ... / 37 hyphens / (empty)
    static QString entry(const MailFields& fields);

    // Appends the entry and one more CR LF in UTF-8, creating the file when
    // missing; what the file held stays as it was. When the file cannot be
    // written, shows "Could not access <path>" titled "Access Error" and
    // returns false.
    static bool append(const QString& programDirectory, const MailFields& fields);
};
