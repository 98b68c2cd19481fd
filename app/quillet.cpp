#include "DesktopStartup.h"
#include "Helpers.h"
#include "LanguageFolders.h"
#include "MainWindow.h"
#include "MessageBoxSink.h"
#include "ProgramDirectory.h"
#include "QtDiagnostics.h"
#include "QuilletApplication.h"
#include "QuilletError.h"
#include "SandboxCheck.h"
#include "UnixSignalCloser.h"

#include <QApplication>
#include <QDesktopServices>
#include <QIcon>
#include <QTimer>
#include <QUrl>

#include <cstdio>
#include <cstring>

namespace {

// "--help" and "--version" are answered before any window system is needed,
// so they work on a terminal without a display (the manual page is made
// from them).
bool answeredWithoutWindow(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::printf("Usage: quillet [--dir DIR]\n\n"
                        "Submit your programs to download and listing sites: a database of submission\n"
                        "sites and of your programs, and a web browser that fills the sites' forms.\n\n"
                        "Options:\n"
                        "  --dir DIR    the program directory, where every data file lives (default:\n"
                        "               the executable's folder for a portable copy, otherwise\n"
                        "               ~/.local/share/quillet; 'quillet-cli info' names it)\n"
                        "  --help       show this help\n"
                        "  --version    show the version\n");
            return true;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("quillet %s\n", QUILLET_VERSION);
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char* argv[])
{
    if (answeredWithoutWindow(argc, argv))
        return 0;
    QtDiagnostics::quietUnlessDebugging();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QuilletApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quillet"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLET_VERSION));
    // The desktop entry's id ties the windows to the menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(QUILLET_APP_ID));
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral(QUILLET_APP_ID), QIcon(QStringLiteral(":/icons/quillet.svg"))));

    QStringList arguments = QApplication::arguments();
    // Started from the desktop menu nobody reads stderr: a start-up failure is
    // shown in a box as well, unless the run is a start-up check.
    const bool exitAfterStart = arguments.removeAll(QStringLiteral("--exit-after-start")) > 0;
    QString commandLineFolder;
    try {
        commandLineFolder = ProgramDirectory::takeCommandLineFolder(arguments);
    } catch (const QuilletError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 2;
    }
    QString directory;
    try {
        directory = ProgramDirectory::choose(commandLineFolder).path;
    } catch (const QuilletError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        if (!exitAfterStart)
            MessageBoxSink().showMessage(error.text());
        return 1;
    }

    const QString sandbox = browserSandboxProblem();
    if (!sandbox.isEmpty()) {
        std::fprintf(stderr, "%s\n", sandbox.toLocal8Bit().constData());
        if (!exitAfterStart)
            MessageBoxSink().showMessage(sandbox);
        return 1;
    }

    MessageBoxSink messageBoxes;
    ScopedMessageSink sink(&messageBoxes);
    installUrlLauncher([](const QString& address) { return QDesktopServices::openUrl(QUrl(address)); });

    LanguageFolders::setShippedFolder(LanguageFolders::installedFolder());
    // SIGTERM during start-up closes the window the normal way once it is up.
    UnixSignalCloser closer;
    DesktopStartup startup(directory);
    startup.start();
    startup.show();
    closer.setWindow(startup.mainWindow());
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
