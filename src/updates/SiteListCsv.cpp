#include "SiteListCsv.h"

#include "Helpers.h"

namespace {

const QChar kQuote = QLatin1Char('"');

bool onlyQuotes(const QString& value)
{
    for (const QChar c : value) {
        if (c != kQuote)
            return false;
    }
    return true;
}

} // namespace

QString SiteListCsv::oneLine(const QString& value)
{
    QString text = value;
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return trimBlanksAndControls(text);
}

QString SiteListCsv::field(const QString& value)
{
    if (!value.contains(kQuote) && !value.contains(QLatin1Char(',')))
        return value;
    if (onlyQuotes(value))
        return QString(value.size() * 2 + 4, kQuote);
    QString doubled = value;
    doubled.replace(kQuote, QStringLiteral("\"\""));
    return kQuote + doubled + kQuote;
}

QString SiteListCsv::line(const QStringList& values)
{
    QStringList fields;
    fields.reserve(FieldCount);
    for (int i = 0; i < FieldCount; ++i)
        fields.append(field(oneLine(values.value(i))));
    return fields.join(QLatin1Char(','));
}
