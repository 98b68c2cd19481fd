#include "ProgramDirectory.h"

#include "QuilletError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString ProgramDirectory::normalise(const QString& path)
{
    QString folder = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

QString ProgramDirectory::resolve(QStringList& arguments)
{
    QString chosen;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == QLatin1String("--dir")) {
            if (i + 1 >= arguments.size() || arguments.at(i + 1).isEmpty())
                throw QuilletError(QStringLiteral("--dir needs a folder"));
            chosen = arguments.at(i + 1);
            arguments.remove(i, 2);
            break;
        }
        if (argument.startsWith(QLatin1String("--dir="))) {
            chosen = argument.mid(6);
            if (chosen.isEmpty())
                throw QuilletError(QStringLiteral("--dir needs a folder"));
            arguments.remove(i);
            break;
        }
    }
    if (chosen.isEmpty())
        return normalise(QCoreApplication::applicationDirPath());
    if (!QDir().mkpath(chosen))
        throw QuilletError(QStringLiteral("Cannot create the program directory %1").arg(chosen));
    return normalise(chosen);
}
