// The site list's reader on any bytes: the stream reader splits lines, and
// the one-pass field splitter agrees with getField on every field.
#include "FieldSplitter.h"
#include "FuzzCheck.h"
#include "Helpers.h"
#include "QuilletError.h"
#include "SiteListReader.h"

#include <QBuffer>
#include <QByteArray>
#include <QStringList>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    SiteListReader reader(buffer);
    QString line;
    try {
        while (reader.readLine(line)) {
            FUZZ_CHECK(!line.contains(QLatin1Char('\n')) && !line.contains(QLatin1Char('\r')));
            // The sixteen fields of a site line, and one past them.
            const QStringList fields = splitFields(line, QLatin1Char(','), 17);
            FUZZ_CHECK(fields.size() == 17);
            for (int index = 0; index < fields.size(); ++index) {
                const QString expected = getField(line, QLatin1Char(','), index);
                FUZZ_CHECK(fields.at(index) == expected);
                FUZZ_CHECK(fields.at(index).size() <= line.size());
            }
        }
    } catch (const QuilletError&) {
        // A line over the limit ends the list with an error: that is the promise.
    }
    return 0;
}
