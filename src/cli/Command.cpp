#include "Command.h"

#include "DataCommands.h"
#include "HelperCommandProxy.h"
#include "ImportPadCommand.h"
#include "InfoCommand.h"
#include "PadCommands.h"
#include "ProgramDirectory.h"
#include "QuilletError.h"
#include "RunCommands.h"

namespace {

std::vector<std::unique_ptr<Command>> makeCommands()
{
    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(std::make_unique<InfoCommand>());
    commands.push_back(std::make_unique<ProgramsCommand>());
    commands.push_back(std::make_unique<SitesCommand>());
    commands.push_back(std::make_unique<ReportCommand>());
    commands.push_back(std::make_unique<MergeSitesCommand>());
    commands.push_back(std::make_unique<RunQueueCommand>());
    commands.push_back(std::make_unique<MarkCommand>());
    commands.push_back(std::make_unique<HistoryCommand>());
    commands.push_back(std::make_unique<HelperCommandProxy>(kCaptureCommandInfo, kPageCommandProgram));
    commands.push_back(std::make_unique<HelperCommandProxy>(kFillCommandInfo, kPageCommandProgram));
    commands.push_back(std::make_unique<ImportPadCommand>());
    commands.push_back(std::make_unique<ExportPadCommand>());
    commands.push_back(std::make_unique<ValidatePadCommand>());
    commands.push_back(std::make_unique<HelperCommandProxy>(kComposeMailCommandInfo, kMailCommandProgram));
    commands.push_back(std::make_unique<HelperCommandProxy>(kSendMailCommandInfo, kMailCommandProgram));
    commands.push_back(std::make_unique<HelperCommandProxy>(kCheckUpdatesCommandInfo, kUpdateCommandProgram));
    commands.push_back(std::make_unique<HelperCommandProxy>(kPublishSitesCommandInfo, kUpdateCommandProgram));
    commands.push_back(std::make_unique<HelperCommandProxy>(kCheckSitesCommandInfo, kUpdateCommandProgram));
    return commands;
}

void printHelp(QTextStream& out)
{
    out << "Usage: quillet-cli [--dir DIR] COMMAND [ARGS]\n\n"
        << "Works on the data of the Quillet submission aid without opening a window.\n\n"
        << "Options:\n"
        << "  --dir DIR    the program directory (default: the executable's folder for a\n"
        << "               portable copy, otherwise ~/.local/share/quillet; 'info' names it)\n"
        << "  --help       show this help\n"
        << "  --version    show the version\n\n"
        << "Commands:\n";
    for (const auto& command : CommandRegistry::commands())
        out << "  " << command->name().leftJustified(14) << ' ' << command->summary() << '\n';
    out << "\n'quillet-cli COMMAND --help' describes a command.\n";
}

} // namespace

void Command::configure(QCommandLineParser&) const { }

int Command::usageError(CommandContext& context, const QString& text) const
{
    context.err << name() << ": " << text << '\n';
    return ExitUsage;
}

int Command::execute(const QStringList& arguments, CommandContext& context)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(summary());
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(
        QStringList {QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help."));
    parser.addOption(help);
    configure(parser);
    if (!parser.parse(arguments))
        return usageError(context, parser.errorText());
    if (parser.isSet(help)) {
        QString text = parser.helpText();
        text.replace(QRegularExpression(QStringLiteral("^Usage: \\S+")),
            QStringLiteral("Usage: quillet-cli [--dir DIR] ") + name());
        context.out << text;
        return ExitSuccess;
    }
    try {
        return run(parser, context);
    } catch (const QuilletError& error) {
        context.err << error.text() << '\n';
        return ExitFailure;
    }
}

const std::vector<std::unique_ptr<Command>>& CommandRegistry::commands()
{
    static const std::vector<std::unique_ptr<Command>> all = makeCommands();
    return all;
}

Command* CommandRegistry::find(const QString& name)
{
    for (const auto& command : commands()) {
        if (command->name() == name)
            return command.get();
    }
    return nullptr;
}

int runCommandLine(QStringList arguments, QTextStream& out, QTextStream& err)
{
    QString commandLineFolder;
    try {
        commandLineFolder = ProgramDirectory::takeCommandLineFolder(arguments);
    } catch (const QuilletError& error) {
        err << error.text() << '\n';
        return ExitUsage;
    }
    const QStringList rest = arguments.mid(1);
    if (rest.isEmpty()) {
        printHelp(err);
        return ExitUsage;
    }
    const QString& first = rest.first();
    if (first == QLatin1String("--help") || first == QLatin1String("-h") || first == QLatin1String("help")) {
        printHelp(out);
        return ExitSuccess;
    }
    if (first == QLatin1String("--version")) {
        out << "quillet-cli " << QUILLET_VERSION << '\n';
        return ExitSuccess;
    }
    Command* command = CommandRegistry::find(first);
    if (!command) {
        err << "Unknown command: " << first << " (see 'quillet-cli --help')\n";
        return ExitUsage;
    }
    // Only a command that runs needs the program directory (and may create
    // it); its help does not. A folder named with --dir is created only for a
    // command that writes: a mistyped name given to "info" leaves no trace.
    ProgramDirectory::Choice directory;
    if (!rest.contains(QLatin1String("--help")) && !rest.contains(QLatin1String("-h"))) {
        try {
            const bool create = command->writesProgramDirectory() || commandLineFolder.isEmpty();
            directory
                = create ? ProgramDirectory::choose(commandLineFolder) : ProgramDirectory::locate(commandLineFolder);
        } catch (const QuilletError& error) {
            err << error.text() << '\n';
            return ExitFailure;
        }
    }
    CommandContext context {directory.path, out, err};
    context.programDirectoryRule = directory.describe();
    return command->execute(rest, context);
}
