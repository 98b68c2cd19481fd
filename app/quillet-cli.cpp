#include "Command.h"
#include "PageCommands.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>

#include <cstdio>

#include <memory>

namespace {

// The command line's stderr carries the commands' own errors, one line each.
// Diagnostics of Qt and its web engine go there only when asked for.
void quietMessageHandler(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtFatalMsg || qEnvironmentVariableIsSet("QUILLET_DEBUG"))
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

} // namespace

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
        qInstallMessageHandler(quietMessageHandler);
        if (!qEnvironmentVariableIsSet("QUILLET_DEBUG"))
            qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
                qgetenv("QTWEBENGINE_CHROMIUM_FLAGS") + " --disable-logging --log-level=3");
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
