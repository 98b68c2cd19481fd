// The site list's line and field reader on any bytes.
#include "FuzzCheck.h"
#include "Helpers.h"
#include "TextDecoding.h"

#include <QByteArray>
#include <QStringList>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QStringList lines = splitLines(decodeText(bytes));
    for (const QString& line : lines) {
        FUZZ_CHECK(!line.contains(QLatin1Char('\n')) && !line.contains(QLatin1Char('\r')));
        const int count = countFields(line, QLatin1Char(','));
        FUZZ_CHECK(count >= 0);
        // The sixteen fields of a site line, and one past them.
        for (int index = 0; index <= 16; ++index) {
            const QString field = getField(line, QLatin1Char(','), index);
            FUZZ_CHECK(field.size() <= line.size());
        }
    }
    return 0;
}
