#include "ImportPadCommand.h"

#include "MessageTranslator.h"
#include "PadImportRunner.h"
#include "PathChecks.h"
#include "ProgramSession.h"

#include <QFileInfo>

namespace {

const QCommandLineOption kCompany(
    QStringLiteral("company"), QStringLiteral("Read the company details instead and make them the current company."));

} // namespace

void ImportPadCommand::configure(QCommandLineParser& parser) const
{
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("the PAD file to import"));
    parser.addOption(kCompany);
}

int ImportPadCommand::run(const QCommandLineParser& parser, CommandContext& context)
{
    const QStringList files = parser.positionalArguments();
    if (files.size() != 1) {
        context.err << name() << ": takes exactly one FILE" << '\n';
        return ExitUsage;
    }
    if (QFileInfo(files.first()).isDir()) {
        // Said in the language of the program directory's settings.
        ProgramSession session(context.programDirectory);
        session.start();
        useLanguageOf(&session.config());
        context.err << inputFileProblem(files.first()) << '\n';
        useLanguageOf(nullptr);
        return ExitFailure;
    }
    return runPadImport(context.programDirectory, files.first(), parser.isSet(kCompany), context.out, context.err) == 0
        ? ExitSuccess
        : ExitFailure;
}
