// The PAD reader on any bytes: a file is refused with a message or read
// into a tree no deeper than the reader's limit; the PAD check of what was
// read names every problem on one line.
#include "FuzzCheck.h"
#include "PadDocument.h"
#include "PadValidator.h"
#include "QuilletError.h"

#include <QByteArray>

#include <algorithm>

namespace {

int depthOf(const PadDocument::Node& node)
{
    int deepest = 0;
    for (const PadDocument::Node& child : node.children)
        deepest = std::max(deepest, depthOf(child));
    return deepest + 1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        const PadDocument document = PadDocument::parse(bytes, QStringLiteral("fuzz.xml"));
        FUZZ_CHECK(document.root().isElement);
        FUZZ_CHECK(depthOf(document.root()) <= PadDocument::MaxDepth + 1);
        for (const PadValidator::Problem& problem : PadValidator::validate(document)) {
            const QString line = problem.line();
            FUZZ_CHECK(line.startsWith(QLatin1String("error: ")) || line.startsWith(QLatin1String("warning: ")));
            FUZZ_CHECK(!line.contains(QLatin1Char('\n')));
        }
    } catch (const QuilletError& error) {
        FUZZ_CHECK(!error.text().isEmpty());
    }
    return 0;
}
