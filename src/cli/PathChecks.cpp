#include "PathChecks.h"

#include "MessageTranslation.h"
#include "MessageTranslator.h"

#include <QFileInfo>

namespace {

QString withPath(const QFileInfo& file, const QString& text)
{
    return file.absoluteFilePath() + QLatin1Char(' ') + translateMsg(text); // lng-keys: indirect
}

} // namespace

QString inputFileProblem(const QString& path)
{
    const QFileInfo file(path);
    if (file.isDir())
        return withPath(file, MESSAGE_NOOP(QStringLiteral("is a folder.")));
    if (!file.exists())
        return withPath(file, MESSAGE_NOOP(QStringLiteral("does not exist.")));
    return QString();
}

QString outputFileProblem(const QString& path)
{
    const QFileInfo file(path);
    return file.isDir() ? withPath(file, MESSAGE_NOOP(QStringLiteral("is a folder."))) : QString();
}
