#include "RunCommands.h"

#include "DataSession.h"
#include "FormMapIndex.h"
#include "QuilletError.h"
#include "RunQueue.h"
#include "SubmissionHistory.h"
#include "SubmissionRun.h"

namespace {

const QCommandLineOption kProgram(QStringLiteral("program"), QStringLiteral("The program."), QStringLiteral("NAME"));
const QCommandLineOption kSite(QStringLiteral("site"), QStringLiteral("The site."), QStringLiteral("NAME"));
const QCommandLineOption kKind(
    QStringLiteral("kind"), QStringLiteral("submit (the default) or update."), QStringLiteral("KIND"));
const QCommandLineOption kCsv(QStringLiteral("csv"), QStringLiteral("Print comma-separated values."));

int usageError(CommandContext& context, const QString& command, const QString& text)
{
    context.err << command << ": " << text << '\n';
    return ExitUsage;
}

// Loads program as the programs list does; an unknown name is refused.
void loadKnownProgram(SubmissionDatabase& dm, const QString& program)
{
    QStringList programs;
    dm.loadPrograms(programs);
    if (!programs.contains(program))
        throw QuilletError(QStringLiteral("The program \"%1\" does not exist.").arg(program));
    dm.loadProgram(program);
}

} // namespace

void RunQueueCommand::configure(QCommandLineParser& parser) const
{
    parser.addOption(kProgram);
    parser.addOption(kKind);
}

int RunQueueCommand::run(const QCommandLineParser& parser, CommandContext& context)
{
    if (!parser.positionalArguments().isEmpty())
        return usageError(context, name(), QStringLiteral("takes no arguments"));
    if (!parser.isSet(kProgram))
        return usageError(context, name(), QStringLiteral("--program is required"));
    const QString kindText = parser.isSet(kKind) ? parser.value(kKind) : QStringLiteral("submit");
    if (kindText != QLatin1String("submit") && kindText != QLatin1String("update"))
        return usageError(context, name(), QStringLiteral("--kind takes submit or update"));
    DataSession data(context.programDirectory);
    SubmissionDatabase& dm = data.dm();
    loadKnownProgram(dm, parser.value(kProgram));
    const RunKind kind = kindText == QLatin1String("update") ? RunKind::Update : RunKind::Submit;
    const RunQueue queue = RunQueue::forRun(dm, parser.value(kProgram), kind);
    const FormMapIndex maps(context.programDirectory);
    for (const QueueEntry& entry : queue.entries()) {
        const QString state = entry.byMail ? QStringLiteral("e-mail")
            : maps.hasMap(entry.siteName)  ? QStringLiteral("map")
                                           : QStringLiteral("no map");
        context.out << entry.siteName << '\t' << entry.link << '\t' << state << '\n';
    }
    return ExitSuccess;
}

void MarkCommand::configure(QCommandLineParser& parser) const
{
    parser.addPositionalArgument(
        QStringLiteral("state"), QStringLiteral("submitted, published, not-applicable or clear"));
    parser.addOption(kProgram);
    parser.addOption(kSite);
}

int MarkCommand::run(const QCommandLineParser& parser, CommandContext& context)
{
    const QStringList arguments = parser.positionalArguments();
    static const QList<QPair<QString, HistoryEntry::Outcome>> states {
        {QStringLiteral("submitted"), HistoryEntry::Outcome::Submitted},
        {QStringLiteral("published"), HistoryEntry::Outcome::Published},
        {QStringLiteral("not-applicable"), HistoryEntry::Outcome::NotApplicable},
        {QStringLiteral("clear"), HistoryEntry::Outcome::Cleared}};
    std::optional<HistoryEntry::Outcome> outcome;
    for (const auto& state : states) {
        if (arguments.size() == 1 && arguments.first() == state.first)
            outcome = state.second;
    }
    if (!outcome)
        return usageError(
            context, name(), QStringLiteral("name one state: submitted, published, not-applicable or clear"));
    if (!parser.isSet(kProgram) || !parser.isSet(kSite))
        return usageError(context, name(), QStringLiteral("--program and --site are required"));
    DataSession data(context.programDirectory);
    SubmissionDatabase& dm = data.dm();
    dm.requireOpen(Table::Sites);
    SiteCursor& sites = dm.sites();
    const QString site = parser.value(kSite);
    if (!sites.locate(site)) {
        // The site selector lists the sites that pass the filter; a command names any site.
        sites.setFiltered(false);
        sites.refresh();
        if (!sites.locate(site))
            throw QuilletError(QStringLiteral("The site \"%1\" does not exist.").arg(site));
    }
    loadKnownProgram(dm, parser.value(kProgram));
    SubmissionRun::mark(dm, *outcome, HistoryEntry::Kind::Manual);
    return ExitSuccess;
}

void HistoryCommand::configure(QCommandLineParser& parser) const
{
    parser.addOption(kProgram);
    parser.addOption(kCsv);
}

int HistoryCommand::run(const QCommandLineParser& parser, CommandContext& context)
{
    if (!parser.positionalArguments().isEmpty())
        return usageError(context, name(), QStringLiteral("takes no arguments"));
    DataSession data(context.programDirectory);
    SubmissionDatabase& dm = data.dm();
    dm.requireOpen(Table::ProgSite);
    const QString program = parser.value(kProgram);
    if (parser.isSet(kProgram)) {
        QStringList programs;
        dm.loadPrograms(programs);
        if (!programs.contains(program))
            throw QuilletError(QStringLiteral("The program \"%1\" does not exist.").arg(program));
    }
    const QVector<HistoryEntry> rows = SubmissionHistory::read(dm.database(), program);
    if (parser.isSet(kCsv)) {
        // CR LF as the format asks; a terminal shows it as plain lines.
        context.out << SubmissionHistory::toCsv(rows);
        return ExitSuccess;
    }
    for (const HistoryEntry& row : rows) {
        context.out << SubmissionHistory::timeText(row.time) << '\t' << row.program << '\t' << row.site << '\t'
                    << HistoryEntry::kindText(row.kind) << '\t' << HistoryEntry::outcomeText(row.outcome) << '\n';
    }
    return ExitSuccess;
}
