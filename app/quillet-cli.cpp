#include "Command.h"
#include "PageCommands.h"
#include "QtDiagnostics.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>

#include <memory>

int main(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));

    // Commands that load a page need a GUI application object; on a machine
    // without a display they run on the offscreen platform.
    std::unique_ptr<QCoreApplication> app;
    if (commandNeedsPage(arguments)) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
            && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        // The command line's stderr carries the commands' own errors, one line each.
        QtDiagnostics::quietUnlessDebugging();
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("quillet-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLET_VERSION));
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int code = runCommandLine(QCoreApplication::arguments(), out, err);
    out.flush();
    err.flush();
    return code;
}
