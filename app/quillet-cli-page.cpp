#include "HelperCommandLine.h"
#include "LanguageFolders.h"
#include "PageCommands.h"
#include "QtDiagnostics.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>

// The page commands of quillet-cli (capture, fill), started by quillet-cli.
// A page needs a GUI application object; on a machine without a display it
// runs on the offscreen platform.
int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The command line's stderr carries the commands' own errors, one line
    // each; Qt's and the browser engine's own diagnostics stay out of it.
    QtDiagnostics::quietUnlessDebugging();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillet-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLET_VERSION));
    LanguageFolders::setShippedFolder(LanguageFolders::installedFolder());
    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(std::make_unique<CaptureCommand>());
    commands.push_back(std::make_unique<FillCommand>());
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int code = runHelperCommandLine(QCoreApplication::arguments(), out, err, commands);
    out.flush();
    err.flush();
    return code;
}
