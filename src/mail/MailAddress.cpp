#include "MailAddress.h"

#include "MessageTranslator.h"
#include "QuilletError.h"

#include <QUrl>

namespace {

bool isLineBreak(QChar c)
{
    return c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

[[noreturn]] void invalidAddress(const QString& item)
{
    QString shown = item;
    for (QChar& c : shown) {
        if (c.unicode() < 0x20)
            c = QLatin1Char(' ');
    }
    throw QuilletError(translateMsg(QStringLiteral("The address \"%1\" is not valid.")).arg(shown.trimmed()));
}

bool isAscii(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() > 0x7E)
            return false;
    }
    return true;
}

// The address as it goes into the envelope and the headers: ASCII only, an
// international domain in its ACE form.
QString checkedAddress(const QString& address, const QString& item)
{
    if (address.isEmpty())
        invalidAddress(item);
    for (const QChar c : address) {
        const char16_t u = c.unicode();
        if (u <= 0x20 || u == 0x7F || (u >= 0x80 && u <= 0x9F) || u == 0x2028 || u == 0x2029
            || QStringLiteral("\"<>,;()\\").contains(c))
            invalidAddress(item);
    }
    if (isAscii(address))
        return address;
    const qsizetype at = address.lastIndexOf(QLatin1Char('@'));
    if (at <= 0 || !isAscii(address.left(at)))
        invalidAddress(item);
    const QByteArray ace = QUrl::toAce(address.mid(at + 1));
    if (ace.isEmpty())
        invalidAddress(item);
    return address.left(at + 1) + QString::fromLatin1(ace);
}

QString cleanDisplayName(QString name)
{
    name = name.trimmed();
    if (name.size() >= 2 && name.startsWith(QLatin1Char('"')) && name.endsWith(QLatin1Char('"'))) {
        name = name.mid(1, name.size() - 2);
        name.replace(QLatin1String("\\\""), QLatin1String("\"")).replace(QLatin1String("\\\\"), QLatin1String("\\"));
    }
    for (QChar& c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || c.unicode() == 0x2028 || c.unicode() == 0x2029)
            c = QLatin1Char(' ');
    }
    return name.simplified();
}

MailAddress parseItem(const QString& item)
{
    // The first angle bracket outside quotes starts the address.
    bool inQuote = false;
    qsizetype open = -1;
    for (qsizetype i = 0; i < item.size(); ++i) {
        const QChar c = item.at(i);
        if (c == QLatin1Char('\\') && inQuote) {
            ++i;
        } else if (c == QLatin1Char('"')) {
            inQuote = !inQuote;
        } else if (c == QLatin1Char('<') && !inQuote) {
            open = i;
            break;
        }
    }
    MailAddress mailbox;
    if (open < 0) {
        mailbox.address = checkedAddress(item, item);
        return mailbox;
    }
    const qsizetype close = item.indexOf(QLatin1Char('>'), open + 1);
    if (close < 0 || !item.mid(close + 1).trimmed().isEmpty())
        invalidAddress(item);
    mailbox.name = cleanDisplayName(item.left(open));
    mailbox.address = checkedAddress(item.mid(open + 1, close - open - 1).trimmed(), item);
    return mailbox;
}

} // namespace

QVector<MailAddress> AddressList::parse(const QString& text)
{
    QVector<MailAddress> list;
    QString item;
    bool inQuote = false;
    bool inAngle = false;
    const auto finishItem = [&] {
        const QString trimmed = item.trimmed();
        if (inQuote || inAngle)
            invalidAddress(trimmed);
        if (!trimmed.isEmpty())
            list.append(parseItem(trimmed));
        item.clear();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        // A line break always ends an item, so nothing typed on the next line
        // can ever continue a name or an address.
        if (isLineBreak(c)) {
            finishItem();
            continue;
        }
        if (inQuote) {
            item.append(c);
            if (c == QLatin1Char('\\') && i + 1 < text.size() && !isLineBreak(text.at(i + 1)))
                item.append(text.at(++i));
            else if (c == QLatin1Char('"'))
                inQuote = false;
            continue;
        }
        if (c == QLatin1Char('"') && !inAngle)
            inQuote = true;
        else if (c == QLatin1Char('<'))
            inAngle = true;
        else if (c == QLatin1Char('>'))
            inAngle = false;
        else if ((c == QLatin1Char(',') || c == QLatin1Char(';')) && !inAngle) {
            finishItem();
            continue;
        }
        item.append(c);
    }
    finishItem();
    return list;
}

MailAddress AddressList::parseSingle(const QString& text)
{
    const QVector<MailAddress> list = parse(text);
    if (list.size() != 1)
        invalidAddress(text);
    return list.first();
}
