#pragma once

#include <QString>
#include <QStringList>

// The folder every data file lives in, always ending in "/". "--dir DIR" on
// the command line names it; otherwise it is the folder of the executable,
// whatever the current directory is.
class ProgramDirectory {
public:
    // Takes "--dir DIR" (or "--dir=DIR") out of arguments and returns the
    // folder, created when missing. Raises QuilletError when "--dir" has no
    // value or the folder cannot be created.
    static QString resolve(QStringList& arguments);

    // path made absolute and given a trailing separator.
    static QString normalise(const QString& path);
};
