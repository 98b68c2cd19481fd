#include "HelperCommandLine.h"

#include "LanguageFolders.h"
#include "ProgramDirectory.h"
#include "QuilletError.h"

#include <QCoreApplication>
#include <QFileInfo>

int runHelperCommandLine(
    QStringList arguments, QTextStream& out, QTextStream& err, const std::vector<std::unique_ptr<Command>>& commands)
{
    QString commandLineFolder;
    try {
        commandLineFolder = ProgramDirectory::takeCommandLineFolder(arguments);
    } catch (const QuilletError& error) {
        err << error.text() << '\n';
        return ExitUsage;
    }
    const QStringList rest = arguments.mid(1);
    Command* command = nullptr;
    for (const auto& candidate : commands) {
        if (!rest.isEmpty() && candidate->name() == rest.first())
            command = candidate.get();
    }
    if (!command) {
        QStringList names;
        for (const auto& candidate : commands)
            names.append(candidate->name());
        err << "Usage: " << QFileInfo(arguments.first()).fileName() << " [--dir DIR] " << names.join(QLatin1Char('|'))
            << " ARGS (run by quillet-cli)\n";
        return ExitUsage;
    }
    // A command's help needs no program directory.
    ProgramDirectory::Choice directory;
    if (!rest.contains(QLatin1String("--help")) && !rest.contains(QLatin1String("-h"))) {
        try {
            directory = ProgramDirectory::choose(commandLineFolder);
        } catch (const QuilletError& error) {
            err << error.text() << '\n';
            return ExitFailure;
        }
    }
    CommandContext context {directory.path, out, err};
    context.programDirectoryRule = directory.describe();
    return command->execute(rest, context);
}

int runHelperProgram(const std::vector<std::unique_ptr<Command>>& commands)
{
    QCoreApplication::setApplicationName(QStringLiteral("quillet-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLET_VERSION));
    LanguageFolders::setShippedFolder(LanguageFolders::installedFolder());
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int code = runHelperCommandLine(QCoreApplication::arguments(), out, err, commands);
    out.flush();
    err.flush();
    return code;
}
