#include "SiteCheckCommand.h"

#include "DataSession.h"
#include "QuilletError.h"
#include "SiteAddressCheck.h"
#include "SiteCheckReport.h"
#include "SiteCheckStore.h"
#include "SiteCheckTargets.h"

#include <QEventLoop>
#include <QHash>

namespace {

const QCommandLineOption kFilter(
    QStringLiteral("filter"), QStringLiteral("Check the sites that pass EXPR instead."), QStringLiteral("EXPR"));
const QCommandLineOption kAll(QStringLiteral("all"), QStringLiteral("Check every site, dead and hidden ones too."));
const QCommandLineOption kCsv(QStringLiteral("csv"), QStringLiteral("Print CSV instead of the report."));

// Outcomes reach the table in batches, so a long check keeps what it found.
constexpr int kSaveBatch = 50;

} // namespace

void SiteCheckCommand::configure(QCommandLineParser& parser) const
{
    parser.addOption(kFilter);
    parser.addOption(kAll);
    parser.addOption(kCsv);
}

int SiteCheckCommand::run(const QCommandLineParser& parser, CommandContext& context)
{
    if (!parser.positionalArguments().isEmpty()) {
        context.err << name() << ": takes no arguments\n";
        return ExitUsage;
    }
    if (parser.isSet(kAll) && parser.isSet(kFilter)) {
        context.err << name() << ": --all and --filter exclude each other\n";
        return ExitUsage;
    }
    DataSession data(context.programDirectory);
    SiteCursor& sites = data.selectSites(
        parser.isSet(kAll), parser.isSet(kFilter) ? std::optional<QString>(parser.value(kFilter)) : std::nullopt);
    const SiteCheckPlan plan = SiteCheckPlan::fromSites(sites);

    SiteCheckStore store(data.dm());
    SiteAddressCheck check;
    QHash<QString, SiteCheckResult> results;
    QVector<SiteCheckResult> unsaved;
    QString saveError;
    const auto save = [&] {
        try {
            store.save(unsaved);
        } catch (const QuilletError& error) {
            saveError = error.text();
        }
        unsaved.clear();
    };
    const int total = static_cast<int>(plan.targets.size());
    const int step = std::max(1, total / 20);
    QObject::connect(&check, &SiteAddressCheck::siteChecked, &check, [&](const SiteCheckResult& result) {
        results.insert(result.siteName, result);
        unsaved.append(result);
        if (unsaved.size() >= kSaveBatch)
            save();
    });
    QObject::connect(&check, &SiteAddressCheck::progressChanged, &check, [&](int done, int all) {
        if (done % step == 0 || done == all) {
            context.err << done << " of " << all << " checked\n";
            context.err.flush();
        }
    });
    QEventLoop loop;
    QObject::connect(&check, &SiteAddressCheck::finished, &loop, &QEventLoop::quit);
    check.start(plan.targets);
    if (total > 0)
        loop.exec();
    save();

    QVector<SiteCheckResult> ordered;
    for (const SiteCheckTarget& target : plan.targets) {
        if (results.contains(target.siteName))
            ordered.append(results.value(target.siteName));
    }
    context.out << (parser.isSet(kCsv) ? SiteCheckReport::csvText(ordered)
                                       : SiteCheckReport::reportText(ordered, plan.skipped));
    if (!saveError.isEmpty()) {
        context.err << "The outcomes could not be stored: " << saveError << '\n';
        return ExitFailure;
    }
    return ExitSuccess;
}
