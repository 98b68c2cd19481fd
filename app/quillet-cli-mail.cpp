#include "HelperCommandLine.h"
#include "MailCommands.h"
#include "QtDiagnostics.h"

#include <QCoreApplication>

// The mail commands of quillet-cli (compose-mail, send-mail), started by
// quillet-cli: only they load the mail transfer library.
int main(int argc, char* argv[])
{
    // The command line's stderr carries the commands' own errors and the mail
    // status lines.
    QtDiagnostics::quietUnlessDebugging();
    QCoreApplication app(argc, argv);
    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(std::make_unique<ComposeMailCommand>());
    commands.push_back(std::make_unique<SendMailCommand>());
    return runHelperProgram(commands);
}
