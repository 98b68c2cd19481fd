#include "Command.h"
#include "LanguageFolders.h"
#include "QtDiagnostics.h"

#include <QCoreApplication>
#include <QTextStream>

// quillet-cli links Qt Core and the data layers only; the commands that need
// the browser engine or the mail library run in helper programs that it
// starts for them (HelperCommandProxy).
int main(int argc, char* argv[])
{
    // The command line's stderr carries the commands' own errors, one line each.
    QtDiagnostics::quietUnlessDebugging();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillet-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLET_VERSION));
    LanguageFolders::setShippedFolder(LanguageFolders::installedFolder());
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int code = runCommandLine(QCoreApplication::arguments(), out, err);
    out.flush();
    err.flush();
    return code;
}
