// The form map reader on any bytes: a map that reads is written back as XML
// that reads again to the same controls, and writing that is stable.
#include "FormMap.h"
#include "FuzzCheck.h"
#include "QuilletError.h"

#include <QByteArray>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    FormMap map;
    try {
        map = FormMap::parse(bytes, QStringLiteral("fuzz.xml"));
    } catch (const QuilletError& error) {
        FUZZ_CHECK(!error.text().isEmpty());
        return 0;
    }
    const QByteArray written = map.toXml();
    FormMap again;
    try {
        again = FormMap::parse(written, QStringLiteral("written.xml"));
    } catch (const QuilletError& error) {
        std::fprintf(stderr, "a map read cannot be read back: %s\n", error.what());
        std::abort();
    }
    const QVector<FormMap::Control> before = map.controls();
    const QVector<FormMap::Control> after = again.controls();
    FUZZ_CHECK(before.size() == after.size());
    for (int i = 0; i < before.size(); ++i) {
        FUZZ_CHECK(before[i].name == after[i].name);
        FUZZ_CHECK(before[i].type == after[i].type);
        FUZZ_CHECK(before[i].dataField == after[i].dataField);
    }
    FUZZ_CHECK(again.toXml() == written);
    // A control set on a map that read is found again.
    if (map.setControl(QStringLiteral("fuzz key"), QStringLiteral("text"), QStringLiteral("Company")))
        FUZZ_CHECK(map.dataField(QStringLiteral("fuzz key")) == QStringLiteral("Company"));
    return 0;
}
