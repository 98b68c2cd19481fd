#include "SiteValues.h"

#include "IniDocument.h"
#include "MemoText.h"

namespace {

const QString kValue = QStringLiteral("Value");
const QString kMultiLine = QStringLiteral("MultiLineValue");
const QString kType = QStringLiteral("Type");

} // namespace

QString SiteValues::escaped(const QString& text)
{
    QString result;
    result.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (c == QLatin1Char('\\'))
            result += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            result += QStringLiteral("\\n");
        else if (c == QLatin1Char('\r'))
            result += QStringLiteral("\\r");
        else
            result += c;
    }
    return result;
}

QString SiteValues::unescaped(const QString& text)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\\') || i + 1 >= text.size()) {
            result += c;
            continue;
        }
        const QChar next = text.at(i + 1);
        if (next == QLatin1Char('n'))
            result += QLatin1Char('\n');
        else if (next == QLatin1Char('r'))
            result += QLatin1Char('\r');
        else if (next == QLatin1Char('\\'))
            result += QLatin1Char('\\');
        else {
            result += c; // not an escape of this file: kept as it stands
            continue;
        }
        ++i;
    }
    return result;
}

void SiteValues::write(IniDocument& values, const QString& key, const QString& value, const QString& type)
{
    values.writeString(key, kValue, value);
    // A section that once held a multi-line value is rewritten there too, so
    // that the earlier text does not come back.
    if (MemoText::isMultiLine(value) || values.value(key, kMultiLine).has_value())
        values.writeString(key, kMultiLine, escaped(value));
    values.writeString(key, kType, type);
}

QHash<QString, QString> SiteValues::read(const IniDocument& values)
{
    QHash<QString, QString> result = values.valuesOfKey(kValue);
    const QHash<QString, QString> multiLine = values.valuesOfKey(kMultiLine);
    for (auto it = multiLine.cbegin(); it != multiLine.cend(); ++it)
        result.insert(it.key(), unescaped(it.value()));
    return result;
}
