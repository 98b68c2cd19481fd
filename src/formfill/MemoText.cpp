#include "MemoText.h"

bool MemoText::isMultiLine(const QString& text)
{
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

QString MemoText::normalised(const QString& text)
{
    QString result = text;
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    result.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (result.endsWith(QLatin1Char('\n')))
        result.chop(1);
    return result;
}

bool MemoText::sameText(const QString& pageValue, const QString& storedValue)
{
    if (!isMultiLine(pageValue) && !isMultiLine(storedValue))
        return pageValue == storedValue;
    return normalised(pageValue) == normalised(storedValue);
}

QString MemoText::forPage(const QString& storedValue)
{
    if (storedValue.endsWith(QStringLiteral("\r\n")))
        return storedValue.left(storedValue.size() - 2);
    if (storedValue.endsWith(QLatin1Char('\n')) || storedValue.endsWith(QLatin1Char('\r')))
        return storedValue.left(storedValue.size() - 1);
    return storedValue;
}
