#include "MailLog.h"

#include "MessageSink.h"
#include "MessageTranslator.h"
#include "PrintableText.h"
#include "RegularFile.h"

#include <QFile>
#include <QStringList>

QString MailLog::fileName(const QString& programDirectory)
{
    return programDirectory + QStringLiteral("QuilletMail.log");
}

QString MailLog::entry(const MailFields& fields, const MailOutcome& outcome)
{
    const QString crlf = QStringLiteral("\r\n");
    const auto field
        = [](const QString& label, const QString& value) { return label + QLatin1Char(' ') + printableLine(value); };
    const QDateTime when = (outcome.when.isValid() ? outcome.when : QDateTime::currentDateTime()).toUTC();
    const QString result = outcome.sent
        ? translateMsg(QStringLiteral("sent"))
        : translateMsg(QStringLiteral("failed:")) + QLatin1Char(' ') + printableLine(outcome.reason).trimmed();
    const QStringList lines {field(translateMsg(QStringLiteral("Date:")),
                                 when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + QStringLiteral(" UTC")),
        field(translateMsg(QStringLiteral("To:")), fields.to), field(translateMsg(QStringLiteral("CC:")), fields.cc),
        field(translateMsg(QStringLiteral("BCC:")), fields.bcc),
        field(translateMsg(QStringLiteral("Subject:")), fields.subject),
        translateMsg(QStringLiteral("Result:")) + QLatin1Char(' ') + result, QString(), fields.body, QString(),
        field(translateMsg(QStringLiteral("Attachments:")), fields.attachment),
        QStringLiteral("-------------------------------------"), QString()};
    return lines.join(crlf) + crlf;
}

bool MailLog::append(const QString& programDirectory, const MailFields& fields, const MailOutcome& outcome)
{
    const QString path = fileName(programDirectory);
    QFile file;
    QString reason;
    RegularFile::Problem problem = RegularFile::openForAppend(file, path, &reason);
    if (problem == RegularFile::Problem::None) {
        const QByteArray bytes = (entry(fields, outcome) + QStringLiteral("\r\n")).toUtf8();
        if (file.write(bytes) == bytes.size() && file.flush())
            return true;
        reason = file.errorString();
        problem = RegularFile::Problem::Unreadable;
    }
    if (problem != RegularFile::Problem::Unreadable)
        reason = RegularFile::problemText(problem, path);
    MessageSink::current().showMessage(
        QLatin1String("Could not access ") + path + QStringLiteral(" (") + reason + QLatin1Char(')'),
        QStringLiteral("Access Error"));
    return false;
}
