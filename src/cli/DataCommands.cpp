#include "DataCommands.h"

#include "FileSaver.h"

#include "DataSession.h"
#include "FilterExpression.h"
#include "PathChecks.h"
#include "QuilletError.h"
#include "ReportTexts.h"
#include "SiteUpdateLock.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <cmath>

namespace {

const QCommandLineOption kFilter(
    QStringLiteral("filter"), QStringLiteral("Use EXPR as the site filter."), QStringLiteral("EXPR"));
const QCommandLineOption kAll(QStringLiteral("all"), QStringLiteral("List every site, dead and hidden ones too."));
const QCommandLineOption kOutput(
    QStringLiteral("output"), QStringLiteral("Save the report to FILE instead."), QStringLiteral("FILE"));
const QCommandLineOption kSiteVersion(QStringLiteral("site-version"),
    QStringLiteral("After a committed merge, record X as the site list version."), QStringLiteral("X"));

} // namespace

int ProgramsCommand::run(const QCommandLineParser& parser, CommandContext& context)
{
    if (!parser.positionalArguments().isEmpty())
        return usageError(context, QStringLiteral("takes no arguments"));
    DataSession data(context.programDirectory);
    QStringList names;
    data.dm().loadPrograms(names);
    for (const QString& program : names)
        context.out << program << '\n';
    return ExitSuccess;
}

void SitesCommand::configure(QCommandLineParser& parser) const
{
    parser.addOption(kFilter);
    parser.addOption(kAll);
}

int SitesCommand::run(const QCommandLineParser& parser, CommandContext& context)
{
    if (!parser.positionalArguments().isEmpty())
        return usageError(context, QStringLiteral("takes no arguments"));
    if (parser.isSet(kAll) && parser.isSet(kFilter))
        return usageError(context, QStringLiteral("--all and --filter exclude each other"));
    DataSession data(context.programDirectory);
    SiteCursor& sites = data.selectSites(
        parser.isSet(kAll), parser.isSet(kFilter) ? std::optional<QString>(parser.value(kFilter)) : std::nullopt);
    for (int row = 0; row < sites.count(); ++row)
        context.out << sites.siteNameAt(row) << '\n';
    return ExitSuccess;
}

void ReportCommand::configure(QCommandLineParser& parser) const
{
    parser.addPositionalArgument(QStringLiteral("kind"), QStringLiteral("progress, accounts or hidden"));
    parser.addOption(kOutput);
}

int ReportCommand::run(const QCommandLineParser& parser, CommandContext& context)
{
    const QStringList arguments = parser.positionalArguments();
    const QString kind = arguments.value(0);
    if (arguments.size() != 1
        || !QStringList({QStringLiteral("progress"), QStringLiteral("accounts"), QStringLiteral("hidden")})
                .contains(kind))
        return usageError(context, QStringLiteral("name one report: progress, accounts or hidden"));
    DataSession data(context.programDirectory);
    const ReportTexts reports(data.dm());
    QString text;
    if (kind == QLatin1String("progress")) {
        QStringList programs;
        data.dm().loadPrograms(programs);
        text = reports.progressReport(programs);
    } else if (kind == QLatin1String("accounts")) {
        text = reports.accountsReport();
    } else {
        text = reports.hiddenSitesReport();
    }
    if (!parser.isSet(kOutput)) {
        context.out << text;
        return ExitSuccess;
    }
    const QString fileName = parser.value(kOutput);
    const QString problem = outputFileProblem(fileName);
    if (!problem.isEmpty())
        throw QuilletError(problem);
    // The accounts report holds passwords: a new file is its owner's alone.
    if (!FileSaver::save(fileName, text.toUtf8(), FileSaver::Access::OwnerOnly))
        throw QuilletError(QStringLiteral("Cannot create file %1").arg(fileName));
    return ExitSuccess;
}

void MergeSitesCommand::configure(QCommandLineParser& parser) const
{
    parser.addPositionalArgument(QStringLiteral("archive"), QStringLiteral("the site list archive"));
    parser.addOption(kSiteVersion);
}

int MergeSitesCommand::run(const QCommandLineParser& parser, CommandContext& context)
{
    const QStringList arguments = parser.positionalArguments();
    if (arguments.size() != 1)
        return usageError(context, QStringLiteral("name one archive"));
    double siteVersion = 0.0;
    if (parser.isSet(kSiteVersion)) {
        bool ok = false;
        siteVersion = QLocale().toDouble(parser.value(kSiteVersion), &ok);
        if (!ok)
            siteVersion = QLocale::c().toDouble(parser.value(kSiteVersion), &ok);
        // Not a number (nan) or infinite: no version a site list can have.
        if (!ok || !std::isfinite(siteVersion))
            return usageError(context, QStringLiteral("--site-version takes a number"));
    }
    const QString archive = arguments.first();

    DataSession data(context.programDirectory);
    SiteUpdateLock lock(context.programDirectory);
    if (!lock.acquire())
        throw QuilletError(SiteUpdateLock::busyText(context.programDirectory));
    const QString problem = inputFileProblem(archive);
    if (!problem.isEmpty())
        throw QuilletError(problem);
    const QString target = context.programDirectory + QStringLiteral("sites.zip");
    if (QFileInfo(archive).canonicalFilePath() != QFileInfo(target).canonicalFilePath()) {
        QFile::remove(target);
        if (!QFile::copy(archive, target))
            throw QuilletError(QStringLiteral("Cannot create file %1").arg(target));
    }
    if (!data.dm().updateSites())
        return ExitFailure;
    if (parser.isSet(kSiteVersion)) {
        data.config().siteVer = siteVersion;
        try {
            data.config().saveSettings();
        } catch (const QuilletError& error) {
            // The merge stays committed: say so rather than a plain failure,
            // which means that it was rolled back.
            context.err << "The site list was merged, but the settings could not be saved: " << error.text() << '\n';
            return ExitMergedNotSaved;
        }
    }
    return ExitSuccess;
}
