#include "HelperCommandLine.h"
#include "PageCommands.h"
#include "QtDiagnostics.h"

#include <QCoreApplication>
#include <QGuiApplication>

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
    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(std::make_unique<CaptureCommand>());
    commands.push_back(std::make_unique<FillCommand>());
    return runHelperProgram(commands);
}
