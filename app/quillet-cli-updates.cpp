#include "HelperCommandLine.h"
#include "QtDiagnostics.h"
#include "SiteCheckCommand.h"
#include "UpdateCommands.h"

#include <QCoreApplication>

// The update commands of quillet-cli (check-updates, publish-sites) and the
// site check (check-sites), started by quillet-cli: only they load Qt Network
// and the zip writer.
int main(int argc, char* argv[])
{
    // The command line's stderr carries the commands' own errors and the
    // transfers' status lines.
    QtDiagnostics::quietUnlessDebugging();
    QCoreApplication app(argc, argv);
    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(std::make_unique<CheckUpdatesCommand>());
    commands.push_back(std::make_unique<PublishSitesCommand>());
    commands.push_back(std::make_unique<SiteCheckCommand>());
    return runHelperProgram(commands);
}
