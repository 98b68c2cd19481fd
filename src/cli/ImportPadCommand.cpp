#include "ImportPadCommand.h"

#include "PadImportRunner.h"

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
    return runPadImport(context.programDirectory, files.first(), parser.isSet(kCompany), context.out, context.err) == 0
        ? ExitSuccess
        : ExitFailure;
}
