// The INI reader on any bytes: reading never fails, a document that nothing
// changed writes back the very bytes it was read from, and a value written
// reads back as written.
#include "FuzzCheck.h"
#include "IniDocument.h"
#include "QuilletError.h"

#include <QByteArray>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    IniDocument doc = IniDocument::fromBytes(bytes);
    const bool utf16 = bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
    // A UTF-16 file's odd last byte is no character and is not kept.
    if (!utf16 || bytes.size() % 2 == 0)
        FUZZ_CHECK(doc.toBytes() == bytes);

    const QStringList sections = doc.sectionNames();
    for (const QString& section : sections) {
        FUZZ_CHECK(doc.hasSection(section));
        for (const auto& entry : doc.entries(section))
            FUZZ_CHECK(doc.value(section, entry.first).has_value());
    }
    const QString section = sections.isEmpty() ? QStringLiteral("S") : sections.first();
    try {
        doc.writeString(section, QStringLiteral("FuzzKey"), QStringLiteral("value\nwith a break"));
        FUZZ_CHECK(
            doc.readString(section, QStringLiteral("fuzzkey"), QString()) == QStringLiteral("value with a break"));
        const IniDocument again = IniDocument::fromBytes(doc.toBytes());
        FUZZ_CHECK(
            again.readString(section, QStringLiteral("FuzzKey"), QString()) == QStringLiteral("value with a break"));
        FUZZ_CHECK(again.sectionNames().size() == doc.sectionNames().size());
    } catch (const QuilletError&) {
        // A section name from the file that cannot be written back as itself.
        FUZZ_CHECK(!IniDocument::isSectionName(section));
    }
    return 0;
}
