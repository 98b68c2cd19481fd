#include "Command.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillet-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLET_VERSION));
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int code = runCommandLine(QCoreApplication::arguments(), out, err);
    out.flush();
    err.flush();
    return code;
}
