#include "CliRun.h"

#include "Command.h"

#include <QTextStream>

CliResult runCli(const QStringList& arguments)
{
    CliResult result;
    QTextStream out(&result.out);
    QTextStream err(&result.err);
    result.code = runCommandLine(QStringList {QStringLiteral("quillet-cli")} + arguments, out, err);
    out.flush();
    err.flush();
    return result;
}
