#include "DemoSetup.h"

#include <QProcess>

QString setUpDemo(const QString& folder)
{
    QProcess setup;
    setup.start(QStringLiteral("bash"),
        {qEnvironmentVariable("QUILLET_SOURCE_DIR") + QStringLiteral("/scripts/setup-demo.sh"), folder,
            qEnvironmentVariable("QUILLET_BIN_DIR")});
    if (!setup.waitForFinished(120000))
        return QStringLiteral("setup-demo.sh did not finish: ") + setup.errorString();
    if (setup.exitStatus() != QProcess::NormalExit || setup.exitCode() != 0)
        return QStringLiteral("setup-demo.sh failed: ") + QString::fromLocal8Bit(setup.readAllStandardError());
    return QString();
}
