#include "MailLog.h"

#include "Helpers.h"
#include "MessageTranslator.h"

#include <QStringList>

QString MailLog::fileName(const QString& programDirectory)
{
    return programDirectory + QStringLiteral("QuilletMail.log");
}

QString MailLog::entry(const MailFields& fields)
{
    const QString crlf = QStringLiteral("\r\n");
    const QString header = translateMsg(QStringLiteral("To:")) + QLatin1Char(' ') + fields.to + crlf
        + translateMsg(QStringLiteral("CC:")) + QLatin1Char(' ') + fields.cc + crlf
        + translateMsg(QStringLiteral("BCC:")) + QLatin1Char(' ') + fields.bcc + crlf
        + translateMsg(QStringLiteral("Subject:")) + QLatin1Char(' ') + fields.subject + crlf + crlf;
    const QStringList lines {header + fields.body, QString(),
        translateMsg(QStringLiteral("Attachments:")) + QLatin1Char(' ') + fields.attachment,
        QStringLiteral("-------------------------------------"), QString()};
    return header + lines.join(crlf) + crlf;
}

bool MailLog::append(const QString& programDirectory, const MailFields& fields)
{
    return appendLineToFile(fileName(programDirectory), entry(fields));
}
