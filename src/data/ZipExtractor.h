#pragma once

#include <QString>
#include <QStringList>

// Extracts zip archives with libzip. Members land in the target folder (in
// sub-folders when their names have them), each written atomically and
// replacing a file of the same name. A member whose name is absolute or climbs
// out of the folder is never written: it is skipped and listed.
class ZipExtractor {
public:
    struct Result {
        QStringList extracted; // member names written
        QStringList skipped;   // member names refused as unsafe
    };

    // Raises QuilletError when the archive cannot be opened or a member cannot
    // be read or written; members written before the error stay written.
    static Result extractAll(const QString& archive, const QString& folder);

    // True for a relative member name that stays inside the target folder.
    static bool isSafeMemberName(const QString& name);
};
