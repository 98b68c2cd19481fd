#include "SandboxCheck.h"

#include <unistd.h>

QString browserSandboxProblem()
{
    if (::geteuid() != 0 || qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        return QString();
    return QStringLiteral("Web pages cannot be shown to the root user with the browser's sandbox on; "
                          "run as another user, or set QTWEBENGINE_DISABLE_SANDBOX=1.");
}
