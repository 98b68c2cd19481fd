#include "DesktopStartup.h"
#include "Helpers.h"
#include "MainWindow.h"
#include "MessageBoxSink.h"
#include "ProgramDirectory.h"
#include "QuilletApplication.h"
#include "QuilletError.h"
#include "SandboxCheck.h"
#include "UnixSignalCloser.h"

#include <QApplication>
#include <QDesktopServices>
#include <QTimer>
#include <QUrl>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QuilletApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quillet"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLET_VERSION));

    QStringList arguments = QApplication::arguments();
    const bool exitAfterStart = arguments.removeAll(QStringLiteral("--exit-after-start")) > 0;
    QString directory;
    try {
        directory = ProgramDirectory::resolve(arguments);
    } catch (const QuilletError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 2;
    }

    const QString sandbox = browserSandboxProblem();
    if (!sandbox.isEmpty()) {
        std::fprintf(stderr, "%s\n", sandbox.toLocal8Bit().constData());
        return 1;
    }

    MessageBoxSink messageBoxes;
    ScopedMessageSink sink(&messageBoxes);
    installUrlLauncher([](const QString& address) { return QDesktopServices::openUrl(QUrl(address)); });

    DesktopStartup startup(directory);
    startup.start();
    startup.show();
    UnixSignalCloser closer(startup.mainWindow());
    if (exitAfterStart) {
        // Start, let every pending event run, then close the normal way.
        QTimer::singleShot(0, &app, [&startup] {
            QCoreApplication::processEvents();
            if (startup.mainWindow())
                startup.mainWindow()->close();
            else
                QCoreApplication::quit();
        });
    }
    const int code = startup.mainWindow() ? app.exec() : 1;
    startup.shutdown();
    return code;
}
