// Lists the windows that language files translate and their [Translations]
// paths, for scripts/lng-keys.py. A tool for the program's maintainers; it is
// not installed.
#include "DesktopStartup.h"
#include "MessageSink.h"
#include "QtDiagnostics.h"
#include "SandboxCheck.h"
#include "TranslatedWindows.h"
#include "WindowTexts.h"
#include "WindowTranslator.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <cstring>

namespace {

const char* const kUsage = "Usage: quillet-lng-windows [--texts]\n\n"
                           "Builds every window that a language file translates (offscreen, in a new\n"
                           "empty program directory) and lists it: a line \"# window OBJECTNAME CLASS\"\n"
                           "followed by the window's [Translations] paths, one per line, and a line\n"
                           "\"; unnamed: WHAT\" for each text the window shows that has no path.\n\n"
                           "  --texts   writes each path as \"path=text\" with the window's own English\n"
                           "            text; a path that names nothing in the window is written\n"
                           "            \"; path (names nothing in the window)\".\n";

int listWindows(int argc, char* argv[], QTextStream& out, bool texts)
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
        // The paths are the window's own component's, read as it reads them.
        const auto* component
            = widget->findChild<WindowTranslator*>(QStringLiteral("Language1"), Qt::FindDirectChildrenOnly);
        const QStringList paths = component ? component->paths() : window.paths;
        WindowTranslator reader(widget, paths);
        for (const QString& path : paths) {
            if (!texts) {
                out << path << '\n';
                continue;
            }
            const std::optional<QString> text = reader.currentValue(path);
            if (text)
                out << path << '=' << QString(*text).replace(QLatin1Char('\n'), QStringLiteral("\\n")) << '\n';
            else
                out << "; " << path << " (names nothing in the window)\n";
        }
        for (const QString& unnamed : WindowTexts(widget).unnamed())
            out << "; unnamed: " << unnamed << '\n';
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
        return listWindows(argc, argv, out, true);
    if (argc == 1)
        return listWindows(argc, argv, out, false);
    const bool help = argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0);
    std::fputs(kUsage, help ? stdout : stderr);
    return help ? 0 : 2;
}
