#include "PathChecks.h"

#include "MessageTranslator.h"

#include <QFileInfo>

namespace {

QString withPath(const QFileInfo& file, const char* text)
{
    return file.absoluteFilePath() + QLatin1Char(' ') + translateMsg(QString::fromLatin1(text));
}

} // namespace

QString inputFileProblem(const QString& path)
{
    const QFileInfo file(path);
    if (file.isDir())
        return withPath(file, "is a folder.");
    if (!file.exists())
        return withPath(file, "does not exist.");
    return QString();
}

QString outputFileProblem(const QString& path)
{
    const QFileInfo file(path);
    return file.isDir() ? withPath(file, "is a folder.") : QString();
}
