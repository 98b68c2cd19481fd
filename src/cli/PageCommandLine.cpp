#include "PageCommandLine.h"

#include "PageCommands.h"
#include "ProgramDirectory.h"
#include "QuilletError.h"

#include <memory>

int runPageCommandLine(QStringList arguments, QTextStream& out, QTextStream& err)
{
    QString commandLineFolder;
    try {
        commandLineFolder = ProgramDirectory::takeCommandLineFolder(arguments);
    } catch (const QuilletError& error) {
        err << error.text() << '\n';
        return ExitUsage;
    }
    const QStringList rest = arguments.mid(1);
    std::unique_ptr<Command> command;
    if (!rest.isEmpty() && rest.first() == QLatin1String(kCaptureCommandInfo.name))
        command = std::make_unique<CaptureCommand>();
    else if (!rest.isEmpty() && rest.first() == QLatin1String(kFillCommandInfo.name))
        command = std::make_unique<FillCommand>();
    if (!command) {
        err << "Usage: " << kPageCommandProgram << " [--dir DIR] capture|fill ARGS (run by quillet-cli)\n";
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
