#include "PadCommands.h"

#include "DataSession.h"
#include "MessageTranslator.h"
#include "PadExport.h"
#include "PadValidator.h"
#include "PathChecks.h"
#include "ProgramSession.h"
#include "QuilletError.h"

#include <QFileInfo>

namespace {

const QCommandLineOption kProgram(
    QStringLiteral("program"), QStringLiteral("The program whose PAD file is written."), QStringLiteral("NAME"));
const QCommandLineOption kStrict(QStringLiteral("strict"), QStringLiteral("Count warnings as errors."));

// The language of the program directory's settings for the messages, for
// the life of the object.
class MessageLanguage {
public:
    explicit MessageLanguage(const QString& programDirectory)
        : m_session(programDirectory)
    {
        m_session.start();
        useLanguageOf(&m_session.config());
    }
    ~MessageLanguage() { useLanguageOf(nullptr); }

    MessageLanguage(const MessageLanguage&) = delete;
    MessageLanguage& operator=(const MessageLanguage&) = delete;

private:
    ProgramSession m_session;
};

} // namespace

void ExportPadCommand::configure(QCommandLineParser& parser) const
{
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("the PAD file to write"));
    parser.addOption(kProgram);
}

int ExportPadCommand::run(const QCommandLineParser& parser, CommandContext& context)
{
    const QStringList files = parser.positionalArguments();
    if (files.size() != 1) {
        context.err << name() << ": takes exactly one FILE" << '\n';
        return ExitUsage;
    }
    if (!parser.isSet(kProgram) || parser.value(kProgram).isEmpty()) {
        context.err << name() << ": name the program with --program NAME" << '\n';
        return ExitUsage;
    }
    const QString program = parser.value(kProgram);
    DataSession data(context.programDirectory);
    QStringList programs;
    data.dm().loadPrograms(programs);
    if (!programs.contains(program)) {
        context.err << translateMsg(QStringLiteral("There is no program named %1.")).arg(program) << '\n';
        return ExitFailure;
    }
    data.dm().loadProgram(program);
    PadExport::exportTo(files.first(), PadExport::valuesOf(data.properties()));
    context.out << QFileInfo(files.first()).absoluteFilePath() << '\n';
    return ExitSuccess;
}

void ValidatePadCommand::configure(QCommandLineParser& parser) const
{
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("the PAD file to check"));
    parser.addOption(kStrict);
}

int ValidatePadCommand::run(const QCommandLineParser& parser, CommandContext& context)
{
    const QStringList files = parser.positionalArguments();
    if (files.size() != 1) {
        context.err << name() << ": takes exactly one FILE" << '\n';
        return ExitUsage;
    }
    const MessageLanguage language(context.programDirectory);
    const QString problem = inputFileProblem(files.first());
    if (!problem.isEmpty()) {
        context.err << problem << '\n';
        return ExitFailure;
    }
    const QList<PadValidator::Problem> problems = PadValidator::validateFile(files.first());
    for (const PadValidator::Problem& found : problems)
        context.out << found.line() << '\n';
    context.err << PadValidator::summary(QFileInfo(files.first()).fileName(), problems) << '\n';
    return PadValidator::failures(problems, parser.isSet(kStrict)) > 0 ? ExitFailure : ExitSuccess;
}
