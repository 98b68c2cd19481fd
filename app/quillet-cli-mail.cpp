#include "HelperCommandLine.h"
#include "MailCommands.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

namespace {

// The command line's stderr carries the commands' own errors and the mail
// status lines. Diagnostics of Qt go there only when asked for.
void quietMessageHandler(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtFatalMsg || qEnvironmentVariableIsSet("QUILLET_DEBUG"))
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

} // namespace

// The mail commands of quillet-cli (compose-mail, send-mail), started by
// quillet-cli: only they load the mail transfer library.
int main(int argc, char* argv[])
{
    qInstallMessageHandler(quietMessageHandler);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillet-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLET_VERSION));
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
