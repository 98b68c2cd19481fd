#include "CliRun.h"

#include <QProcess>
#include <QProcessEnvironment>

// Apart from CliRun.cpp, so that tests that only start the program do not
// link the commands.
CliResult runCliProcess(
    const QStringList& arguments, const QString& workingDirectory, const QStringList& unsetVariables)
{
    QProcess process;
    process.setWorkingDirectory(workingDirectory);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& name : unsetVariables)
        environment.remove(name);
    process.setProcessEnvironment(environment);
    process.start(qEnvironmentVariable("QUILLET_BIN_DIR") + QStringLiteral("/quillet-cli"), arguments);
    CliResult result;
    if (!process.waitForFinished(120000))
        return result;
    result.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}
