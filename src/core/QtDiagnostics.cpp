#include "QtDiagnostics.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <cstdio>

namespace {

void quietMessageHandler(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

} // namespace

bool QtDiagnostics::debugging()
{
    return qEnvironmentVariableIsSet("QUILLET_DEBUG");
}

void QtDiagnostics::quietUnlessDebugging()
{
    if (debugging())
        return;
    qInstallMessageHandler(quietMessageHandler);
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", qgetenv("QTWEBENGINE_CHROMIUM_FLAGS") + " --disable-logging --log-level=3");
}
