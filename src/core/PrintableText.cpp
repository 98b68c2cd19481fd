#include "PrintableText.h"

namespace {

bool isControl(char16_t u)
{
    return u < 0x20 || u == 0x7F || (u >= 0x80 && u <= 0x9F) || u == 0x2028 || u == 0x2029;
}

QString replaced(const QString& text, bool breaksAsBlanks)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        if (breaksAsBlanks && (u == u'\r' || u == u'\n' || u == 0x2028 || u == 0x2029)) {
            if (u == u'\r' && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            result.append(QLatin1Char(' '));
        } else if (isControl(u)) {
            result.append(QLatin1Char('?'));
        } else {
            result.append(text.at(i));
        }
    }
    return result;
}

} // namespace

QString printableText(const QString& text)
{
    return replaced(text, false);
}

QString printableLine(const QString& text)
{
    return replaced(text, true);
}
