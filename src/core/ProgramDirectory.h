#pragma once

#include <QString>
#include <QStringList>

// The folder every data file lives in, always ending in "/". It is chosen
// in this order:
//   1. "--dir DIR" on the command line;
//   2. the executable's folder when it already holds "quillet.ini" or a
//      table file (a portable copy with its data);
//   3. the per-user data folder when the executable belongs to an installed
//      copy (its folder's "../share/applications" holds this program's
//      desktop entry), however writable that folder is;
//   4. the executable's folder when it is writable (a portable copy, the
//      build folder);
//   5. otherwise the per-user data folder: $XDG_DATA_HOME/quillet, or
//      ~/.local/share/quillet when XDG_DATA_HOME is unset or not absolute.
// A folder that does not exist yet is created, every missing level with
// mode 0700.
class ProgramDirectory {
public:
    enum class Rule { CommandLine, Portable, UserData };

    // What rules 2 to 5 look at in the executable's folder.
    struct ExecutableFolder {
        QString path;
        // "quillet.ini" or a table file found there (its name), else empty.
        QString dataFile;
        bool installedCopy = false;
        bool writable = false;
    };

    struct Choice {
        QString path; // normalised, trailing "/"
        Rule rule = Rule::CommandLine;
        // Why the rule applied, for people: "holds quillet.ini", ...
        QString reason;

        // "--dir", "portable (...)" or "user data (...)": one line for "info".
        QString describe() const;
    };

    // Takes "--dir DIR" (or "--dir=DIR") out of arguments and returns DIR,
    // empty when not given. Raises QuilletError when "--dir" has no value.
    static QString takeCommandLineFolder(QStringList& arguments);

    // Picks the folder by the rules above (commandLine: the value of "--dir",
    // or empty) and creates it when missing. Raises QuilletError when the
    // folder cannot be created.
    static Choice choose(const QString& commandLine);

    // choose(takeCommandLineFolder(arguments)).
    static Choice choose(QStringList& arguments);

    // The folder choose() picks, without creating it (for a command that
    // writes nothing). Touches no file.
    static Choice locate(const QString& commandLine);

    // choose(arguments).path.
    static QString resolve(QStringList& arguments);

    // The rules alone, on facts gathered elsewhere: commandLine is the value
    // of "--dir" (empty when not given). Touches no file.
    static Choice decide(const QString& commandLine, const ExecutableFolder& executable, const QString& userData);

    // Looks at folder for rules 2 to 4. Writes nothing.
    static ExecutableFolder inspect(const QString& folder);

    // $XDG_DATA_HOME/quillet when XDG_DATA_HOME is an absolute path, else
    // $HOME/.local/share/quillet; without a trailing "/".
    static QString userDataFolder();

    // Creates path and every missing folder above it with mode 0700; folders
    // that exist are left as they are. Raises QuilletError when a level
    // cannot be created or path exists and is no folder.
    static void create(const QString& path);

    // The files whose presence makes the executable's folder a portable
    // copy's data folder: "quillet.ini" and the three table files.
    static QStringList dataFileNames();

    // path made absolute and given a trailing separator.
    static QString normalise(const QString& path);
};
