#include "FieldSplitter.h"

#include "Helpers.h"

namespace {

const QChar kQuote = QLatin1Char('"');

// A field enclosed in double quotes loses them; then blanks are trimmed.
QString finished(const QString& field)
{
    if (!field.isEmpty() && field.front() == kQuote && field.back() == kQuote)
        return trimBlanksAndControls(field.size() <= 2 ? QString() : field.mid(1, field.size() - 2));
    return trimBlanksAndControls(field);
}

} // namespace

QStringList splitFields(const QString& line, QChar separator, int count)
{
    QStringList fields;
    if (count <= 0)
        return fields;
    fields.reserve(count);
    const qsizetype n = line.size();
    qsizetype i = 0;
    bool inQuotes = false;
    qsizetype start = 0;
    // A field is the text from start to the separator, with every doubled
    // quote standing for one; most fields hold none, and are taken whole.
    QString field;
    bool copied = false;
    const auto endField = [&](qsizetype end) {
        if (!copied && end > start)
            field = line.mid(start, end - start);
        fields.append(finished(field));
        field = QString();
        copied = false;
    };
    while (i < n) {
        const QChar c = line.at(i);
        if (c == separator && !inQuotes) {
            endField(i);
            if (fields.size() == count)
                return fields;
            start = ++i;
            continue;
        }
        if (c == kQuote) {
            if (i + 1 < n && line.at(i + 1) == kQuote) {
                // A doubled quote: keep one of the two.
                if (!copied) {
                    field = line.mid(start, i - start);
                    copied = true;
                }
                field.append(kQuote);
                i += 2;
                continue;
            }
            inQuotes = !inQuotes;
        }
        if (copied)
            field.append(c);
        ++i;
    }
    endField(n);
    while (fields.size() < count)
        fields.append(QString());
    return fields;
}
