#pragma once

#include <QString>
#include <QStringList>

// Where language files (*.lng) are found. A language is known by its name,
// the file's base name ("German" for German.lng), and its file is looked for
// in two folders:
//   1. the program directory, where the user drops a file of his own; a file
//      there wins over a shipped one of the same name;
//   2. the folder of the languages that ship with the program, which the
//      executables name at start (setShippedFolder). Until then, and in
//      programs that name none, only the program directory counts.
// Nothing is cached: every call looks at the folders again.
class LanguageFolders {
public:
    // The shipped languages' folder; an empty text: none.
    static void setShippedFolder(const QString& folder);
    static QString shippedFolder();

    // Where an installed copy keeps its shipped languages, and where the build
    // folder has a copy of them: share/quillet/lang as seen from the running
    // program, which is one of the installed programs (bin/) or helpers
    // (libexec/quillet/), or lies in the build folder's bin/. Empty when that
    // folder does not exist.
    static QString installedFolder();

    // The languages found in programDirectory and in the shipped folder
    // (files and folders named *.lng alike), each name once, ordered by name
    // without regard to letter case.
    static QStringList names(const QString& programDirectory);

    // The file of the language name: programDirectory + name + ".lng" when
    // something of that name exists there, else the shipped file when it
    // exists, else programDirectory + name + ".lng" (which gives no
    // translations).
    static QString filePath(const QString& programDirectory, const QString& name);
};
