#include "PadPattern.h"

namespace PadPattern {

QString translate(const QString& perlPattern)
{
    QString out;
    out.reserve(perlPattern.size() + 8);
    for (qsizetype i = 0; i < perlPattern.size(); ++i) {
        const QChar c = perlPattern.at(i);
        if (c != QLatin1Char('\\') || i + 1 >= perlPattern.size()) {
            out += c;
            continue;
        }
        const QChar next = perlPattern.at(i + 1);
        if (next == QLatin1Char('Z'))
            out += QStringLiteral("(?=\\n?\\z)");
        else
            out += c + QString(next);
        ++i;
    }
    return out;
}

QRegularExpression compile(const QString& perlPattern)
{
    return QRegularExpression(translate(perlPattern));
}

bool matches(const QRegularExpression& expression, const QString& value)
{
    return expression.isValid() && expression.match(value).hasMatch();
}

} // namespace PadPattern
