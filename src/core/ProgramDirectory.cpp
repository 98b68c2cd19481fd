#include "ProgramDirectory.h"

#include "QuilletError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

#include <sys/stat.h>

#ifndef QUILLET_INSTALLED_MARKER
#error "QUILLET_INSTALLED_MARKER names the desktop entry relative to the installed executables' folder"
#endif

namespace {

// Whether XDG_DATA_HOME names the per-user base: set and an absolute path.
bool userDataFromEnvironment()
{
    const QString base = qEnvironmentVariable("XDG_DATA_HOME");
    return !base.isEmpty() && QDir::isAbsolutePath(base);
}

QString userDataReason(const QString& why)
{
    const QString base = userDataFromEnvironment() ? QStringLiteral("$XDG_DATA_HOME/quillet")
                                                   : QStringLiteral("~/.local/share/quillet");
    return base + QStringLiteral("; the executable's folder ") + why;
}

} // namespace

QString ProgramDirectory::Choice::describe() const
{
    switch (rule) {
    case Rule::CommandLine:
        return QStringLiteral("--dir");
    case Rule::Portable:
        return QStringLiteral("portable (%1)").arg(reason);
    case Rule::UserData:
        return QStringLiteral("user data (%1)").arg(reason);
    }
    return QString();
}

QString ProgramDirectory::normalise(const QString& path)
{
    QString folder = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

QStringList ProgramDirectory::dataFileNames()
{
    return {QStringLiteral("quillet.ini"), QStringLiteral("Programs.DAT"), QStringLiteral("Sites.DAT"),
        QStringLiteral("ProgSite.DAT")};
}

QString ProgramDirectory::userDataFolder()
{
    const QString base = userDataFromEnvironment() ? qEnvironmentVariable("XDG_DATA_HOME")
                                                   : QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(base + QStringLiteral("/quillet"));
}

ProgramDirectory::ExecutableFolder ProgramDirectory::inspect(const QString& folder)
{
    ExecutableFolder facts;
    facts.path = folder;
    const QDir dir(folder);
    for (const QString& name : dataFileNames()) {
        if (QFileInfo::exists(dir.filePath(name))) {
            facts.dataFile = name;
            break;
        }
    }
    facts.installedCopy = QFileInfo(dir.filePath(QStringLiteral(QUILLET_INSTALLED_MARKER))).isFile();
    facts.writable = QFileInfo(folder).isWritable();
    return facts;
}

ProgramDirectory::Choice ProgramDirectory::decide(
    const QString& commandLine, const ExecutableFolder& executable, const QString& userData)
{
    if (!commandLine.isEmpty())
        return {normalise(commandLine), Rule::CommandLine, QStringLiteral("given on the command line")};
    if (!executable.dataFile.isEmpty()) {
        return {normalise(executable.path), Rule::Portable,
            QStringLiteral("the executable's folder holds %1").arg(executable.dataFile)};
    }
    if (executable.installedCopy) {
        return {normalise(userData), Rule::UserData, userDataReason(QStringLiteral("belongs to an installed copy"))};
    }
    if (executable.writable)
        return {normalise(executable.path), Rule::Portable, QStringLiteral("the executable's folder is writable")};
    return {normalise(userData), Rule::UserData, userDataReason(QStringLiteral("is not writable"))};
}

void ProgramDirectory::create(const QString& path)
{
    const QString target = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QStringList missing;
    QString level = target;
    while (!QFileInfo::exists(level)) {
        missing.prepend(level);
        const QString parent = QFileInfo(level).path();
        if (parent == level)
            break;
        level = parent;
    }
    const auto failure = [&path](const QString& why) {
        return QuilletError(QStringLiteral("Cannot create the program directory %1: %2").arg(path, why));
    };
    if (missing.isEmpty()) {
        if (!QFileInfo(target).isDir())
            throw failure(QStringLiteral("it exists and is not a folder"));
        return;
    }
    if (!QFileInfo(level).isDir())
        throw failure(QStringLiteral("%1 is not a folder").arg(level));
    for (const QString& folder : std::as_const(missing)) {
        const QByteArray name = QFile::encodeName(folder);
        if (::mkdir(name.constData(), S_IRWXU) == 0) {
            // The mode is exact whatever the umask.
            ::chmod(name.constData(), S_IRWXU);
        } else {
            const int error = errno;
            if (error != EEXIST || !QFileInfo(folder).isDir())
                throw failure(QStringLiteral("%1: %2").arg(folder, qt_error_string(error)));
        }
    }
}

QString ProgramDirectory::takeCommandLineFolder(QStringList& arguments)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == QLatin1String("--dir")) {
            if (i + 1 >= arguments.size() || arguments.at(i + 1).isEmpty())
                throw QuilletError(QStringLiteral("--dir needs a folder"));
            const QString chosen = arguments.at(i + 1);
            arguments.remove(i, 2);
            return chosen;
        }
        if (argument.startsWith(QLatin1String("--dir="))) {
            const QString chosen = argument.mid(6);
            if (chosen.isEmpty())
                throw QuilletError(QStringLiteral("--dir needs a folder"));
            arguments.remove(i);
            return chosen;
        }
    }
    return QString();
}

ProgramDirectory::Choice ProgramDirectory::choose(const QString& commandLine)
{
    const Choice choice = locate(commandLine);
    create(choice.path);
    return choice;
}

ProgramDirectory::Choice ProgramDirectory::locate(const QString& commandLine)
{
    return commandLine.isEmpty() ? decide(QString(), inspect(QCoreApplication::applicationDirPath()), userDataFolder())
                                 : decide(commandLine, ExecutableFolder(), QString());
}

ProgramDirectory::Choice ProgramDirectory::choose(QStringList& arguments)
{
    return choose(takeCommandLineFolder(arguments));
}

QString ProgramDirectory::resolve(QStringList& arguments)
{
    return choose(arguments).path;
}
