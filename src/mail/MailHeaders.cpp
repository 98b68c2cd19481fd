#include "MailHeaders.h"

#include <QLocale>
#include <QUuid>

namespace {

// The longest header line that stays as typed; longer text is folded as encoded words.
constexpr int kLongestPlainValue = 900;
// The longest display name written as typed; a longer one is folded as encoded words.
constexpr int kLongestPlainPhrase = 200;
// Bytes of UTF-8 per encoded word: 60 characters of Base64 inside "=?UTF-8?B?...?=" make 72.
constexpr int kBytesPerWord = 45;

bool isPrintableAscii(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7E)
            return false;
    }
    return true;
}

// Encoded words for text, split between characters so that no word ends
// inside a character's UTF-8 bytes.
QList<QByteArray> encodedWords(const QString& text)
{
    QList<QByteArray> words;
    QByteArray chunk;
    const auto flush = [&] {
        if (!chunk.isEmpty())
            words.append("=?UTF-8?B?" + chunk.toBase64() + "?=");
        chunk.clear();
    };
    for (qsizetype i = 0; i < text.size();) {
        qsizetype length = 1;
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            length = 2;
        const QByteArray bytes = text.mid(i, length).toUtf8();
        if (chunk.size() + bytes.size() > kBytesPerWord)
            flush();
        chunk.append(bytes);
        i += length;
    }
    flush();
    return words;
}

QByteArray foldedWords(const QString& text)
{
    return encodedWords(text).join("\r\n ");
}

// A display name as an RFC 5322 phrase.
QByteArray phrase(const QString& name)
{
    // A long name would give a header line longer than mail allows (998
    // bytes): encoded words can be folded.
    if (!isPrintableAscii(name) || name.contains(QLatin1String("=?")) || name.size() > kLongestPlainPhrase)
        return foldedWords(name);
    static const QString specials = QStringLiteral("()<>[]:;@\\,.\"");
    bool needsQuotes = false;
    for (const QChar c : name) {
        if (specials.contains(c))
            needsQuotes = true;
    }
    if (!needsQuotes)
        return name.toLatin1();
    QString quoted = name;
    quoted.replace(QLatin1String("\\"), QLatin1String("\\\\")).replace(QLatin1String("\""), QLatin1String("\\\""));
    return '"' + quoted.toLatin1() + '"';
}

QString rfc2822Date(const QDateTime& date)
{
    // Day and month names in English whatever the user's locale.
    const QDateTime local = date.isValid() ? date : QDateTime::currentDateTime();
    const int offset = local.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return QLocale::c().toString(local, QStringLiteral("ddd, dd MMM yyyy HH:mm:ss "))
        + (offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
        + QStringLiteral("%1%2").arg(minutes / 60, 2, 10, QLatin1Char('0')).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

QString MailHeaders::singleLine(const QString& text)
{
    QString line;
    line.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
            continue; // CR LF is one line break, one blank
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7F || (u >= 0x80 && u <= 0x9F) || u == 0x2028 || u == 0x2029)
            line.append(QLatin1Char(' '));
        else
            line.append(c);
    }
    return line;
}

QByteArray MailHeaders::encodeText(const QString& text)
{
    const QString line = singleLine(text);
    if (isPrintableAscii(line) && line.size() <= kLongestPlainValue && !line.contains(QLatin1String("=?")))
        return line.toLatin1();
    return foldedWords(line);
}

QByteArray MailHeaders::mailbox(const MailAddress& mailbox)
{
    const QString name = singleLine(mailbox.name).trimmed();
    // AddressList lets no blank or control character into an address; one made elsewhere loses them here.
    const QByteArray address = singleLine(mailbox.address).remove(QLatin1Char(' ')).toLatin1();
    if (name.isEmpty())
        return address;
    return phrase(name) + " <" + address + '>';
}

QByteArray MailHeaders::addressList(const QVector<MailAddress>& list)
{
    QList<QByteArray> parts;
    for (const MailAddress& entry : list)
        parts.append(MailHeaders::mailbox(entry));
    return parts.join(",\r\n ");
}

QList<QByteArray> MailHeaders::compose(const OutgoingMail& mail)
{
    QList<QByteArray> headers;
    headers.append("From: " + mailbox(mail.from));
    if (!mail.to.isEmpty())
        headers.append("To: " + addressList(mail.to));
    if (!mail.cc.isEmpty())
        headers.append("Cc: " + addressList(mail.cc));
    headers.append("Subject: " + encodeText(mail.subject));
    headers.append("Date: " + rfc2822Date(mail.date).toLatin1());
    const QString id = mail.messageId.isEmpty() ? newMessageId(mail.from.address) : mail.messageId;
    headers.append("Message-ID: <" + singleLine(id).remove(QLatin1Char(' ')).toLatin1() + '>');
    headers.append(QByteArray("X-Mailer: ") + MailerName);
    headers.append("Disposition-Notification-To: " + mailbox(mail.from));
    return headers;
}

QString MailHeaders::newMessageId(const QString& address)
{
    const qsizetype at = address.lastIndexOf(QLatin1Char('@'));
    QString domain = at >= 0 ? address.mid(at + 1) : QString();
    if (domain.isEmpty())
        domain = QStringLiteral("quillet.invalid");
    return QUuid::createUuid().toString(QUuid::WithoutBraces) + QLatin1Char('@') + domain;
}
