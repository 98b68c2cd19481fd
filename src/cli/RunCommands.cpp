#include "RunCommands.h"

#include "DataSession.h"
#include "FormMapIndex.h"
#include "RunQueue.h"
#include "SubmissionHistory.h"
#include "SubmissionRun.h"

namespace {

const QCommandLineOption kProgram(QStringLiteral("program"), QStringLiteral("The program."), QStringLiteral("NAME"));
const QCommandLineOption kSite(QStringLiteral("site"), QStringLiteral("The site."), QStringLiteral("NAME"));
const QCommandLineOption kKind(
    QStringLiteral("kind"), QStringLiteral("submit (the default) or update."), QStringLiteral("KIND"));
const QCommandLineOption kCsv(QStringLiteral("csv"), QStringLiteral("Print comma-separated values."));

} // namespace

void RunQueueCommand::configure(QCommandLineParser& parser) const
{
    parser.addOption(kProgram);
    parser.addOption(kKind);
}

int RunQueueCommand::run(const QCommandLineParser& parser, CommandContext& context)
{
    if (!parser.positionalArguments().isEmpty())
        return usageError(context, QStringLiteral("takes no arguments"));
    if (!parser.isSet(kProgram))
        return usageError(context, QStringLiteral("--program is required"));
    const QString kindText = parser.isSet(kKind) ? parser.value(kKind) : QStringLiteral("submit");
    if (kindText != QLatin1String("submit") && kindText != QLatin1String("update"))
        return usageError(context, QStringLiteral("--kind takes submit or update"));
    DataSession data(context.programDirectory);
    SubmissionDatabase& dm = data.dm();
    data.requireProgram(parser.value(kProgram));
    dm.loadProgram(parser.value(kProgram));
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
        return usageError(context, QStringLiteral("name one state: submitted, published, not-applicable or clear"));
    if (!parser.isSet(kProgram) || !parser.isSet(kSite))
        return usageError(context, QStringLiteral("--program and --site are required"));
    DataSession data(context.programDirectory);
    SubmissionDatabase& dm = data.dm();
    data.locateSite(parser.value(kSite));
    data.requireProgram(parser.value(kProgram));
    dm.loadProgram(parser.value(kProgram));
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
        return usageError(context, QStringLiteral("takes no arguments"));
    DataSession data(context.programDirectory);
    SubmissionDatabase& dm = data.dm();
    dm.requireOpen(Table::ProgSite);
    const QString program = parser.value(kProgram);
    if (parser.isSet(kProgram))
        data.requireProgram(program);
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
