#include "SmtpTranscript.h"

#include "PrintableText.h"

QStringList SmtpTranscript::lines(Direction direction, const QByteArray& text)
{
    QStringList result;
    for (QByteArray piece : text.split('\n')) {
        while (piece.endsWith('\r'))
            piece.chop(1);
        // Server replies may hold any bytes; they are shown, never interpreted:
        // an escape sequence must not reach a terminal.
        const QString decoded = printableText(QString::fromUtf8(piece).trimmed());
        if (decoded.isEmpty())
            continue;
        result.append(line(direction, decoded));
    }
    return result;
}

QString SmtpTranscript::line(Direction direction, const QString& text)
{
    switch (direction) {
    case Direction::Info:
        return text;
    case Direction::Received:
        // 334 asks for more login data; any other reply ends the exchange.
        if (m_inLogin && !text.startsWith(QLatin1String("334")))
            m_inLogin = false;
        return QStringLiteral("< ") + text;
    case Direction::Sent:
        break;
    }
    if (m_inLogin)
        return hiddenLine();
    if (text.startsWith(QLatin1String("AUTH"), Qt::CaseInsensitive)
        && (text.size() == 4 || text.at(4) == QLatin1Char(' '))) {
        m_inLogin = true;
        const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (words.size() > 2)
            return QStringLiteral("> ") + words.at(0) + QLatin1Char(' ') + words.at(1)
                + QStringLiteral(" (login data hidden)");
    }
    return QStringLiteral("> ") + text;
}
