#include "HelperCommandLine.h"
#include "LanguageFolders.h"
#include "MailCommands.h"
#include "QtDiagnostics.h"

#include <QCoreApplication>
#include <QTextStream>

// The mail commands of quillet-cli (compose-mail, send-mail), started by
// quillet-cli: only they load the mail transfer library.
int main(int argc, char* argv[])
{
    // The command line's stderr carries the commands' own errors and the mail
    // status lines.
    QtDiagnostics::quietUnlessDebugging();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillet-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLET_VERSION));
    LanguageFolders::setShippedFolder(LanguageFolders::installedFolder());
    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(std::make_unique<ComposeMailCommand>());
    commands.push_back(std::make_unique<SendMailCommand>());
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int code = runHelperCommandLine(QCoreApplication::arguments(), out, err, commands);
    out.flush();
    err.flush();
    return code;
}
