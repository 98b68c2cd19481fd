// The site filter parser on any text: a filter is refused or becomes a
// condition whose every value is a bound parameter.
#include "FilterExpression.h"
#include "FuzzCheck.h"

#include <QString>
#include <QStringList>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QStringList columns {QStringLiteral("SiteName"), QStringLiteral("Dead"), QStringLiteral("Hide"),
        QStringLiteral("Pad"), QStringLiteral("Rating"), QStringLiteral("CountryCode"), QStringLiteral("Notes")};
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const FilterExpression filter = FilterExpression::parse(text, columns);
    if (!filter.isValid()) {
        FUZZ_CHECK(!filter.errorText().isEmpty());
        return 0;
    }
    FUZZ_CHECK(!filter.sql().isEmpty());
    FUZZ_CHECK(filter.sql().count(QLatin1Char('?')) == filter.parameters().size());
    // No quote of the filter text reaches the SQL text.
    FUZZ_CHECK(!filter.sql().contains(QLatin1Char('\'')));
    return 0;
}
