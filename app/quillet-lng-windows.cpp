// Lists the windows that language files translate and their [Translations]
// paths, for scripts/lng-keys.py. A tool for the program's maintainers; it is
// not installed.
#include "DesktopStartup.h"
#include "MessageSink.h"
#include "QtDiagnostics.h"
#include "SandboxCheck.h"
#include "TranslatedWindows.h"
#include "WindowTranslator.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <cstring>

namespace {

const char* const kUsage = "Usage: quillet-lng-windows [--texts]\n\n"
                           "Lists every window that a language file translates: a line\n"
                           "\"# window OBJECTNAME CLASS\" followed by the window's [Translations] paths,\n"
                           "one per line.\n\n"
                           "  --texts   builds the windows (offscreen, in a new empty program directory)\n"
                           "            and writes each path as \"path=text\" with the window's own\n"
                           "            English text; a path that names nothing in the window is\n"
                           "            written \"; path (names nothing in the window)\".\n";

void listPaths(QTextStream& out)
{
    for (const TranslatedWindow& window : translatedWindows()) {
        out << "# window " << window.objectName << ' ' << window.className << '\n';
        for (const QString& path : window.paths)
            out << path << '\n';
    }
}

int listTexts(int argc, char* argv[], QTextStream& out)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QtDiagnostics::quietUnlessDebugging();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    const QString sandbox = browserSandboxProblem();
    if (!sandbox.isEmpty()) {
        std::fprintf(stderr, "%s\n", sandbox.toLocal8Bit().constData());
        return 1;
    }
    QTemporaryDir folder;
    if (!folder.isValid()) {
        std::fprintf(stderr, "Cannot create a temporary folder: %s\n", folder.errorString().toLocal8Bit().constData());
        return 1;
    }
    StreamMessageSink messages;
    ScopedMessageSink sink(&messages);
    DesktopStartup startup(folder.path() + QLatin1Char('/'));
    startup.start();
    int code = 0;
    for (const TranslatedWindow& window : translatedWindows()) {
        out << "# window " << window.objectName << ' ' << window.className << '\n';
        std::unique_ptr<QWidget> created;
        QWidget* widget = window.open(startup, created);
        if (!widget) {
            std::fprintf(stderr, "The window %s could not be built.\n", window.objectName.toLocal8Bit().constData());
            code = 1;
            continue;
        }
        // The paths are read as the window's own component reads them.
        WindowTranslator reader(widget, window.paths);
        for (const QString& path : window.paths) {
            const std::optional<QString> text = reader.currentValue(path);
            if (text)
                out << path << '=' << *text << '\n';
            else
                out << "; " << path << " (names nothing in the window)\n";
        }
    }
    out.flush();
    startup.shutdown();
    return code;
}

} // namespace

int main(int argc, char* argv[])
{
    QTextStream out(stdout);
    if (argc == 2 && std::strcmp(argv[1], "--texts") == 0)
        return listTexts(argc, argv, out);
    if (argc == 1) {
        listPaths(out);
        return 0;
    }
    const bool help = argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0);
    std::fputs(kUsage, help ? stdout : stderr);
    return help ? 0 : 2;
}
