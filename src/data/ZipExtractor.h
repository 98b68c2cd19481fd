#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

// Extracts zip archives with libzip into a folder, member by member, taking
// only what the caller accepts and never more than the limits allow.
//
// A member is written under a temporary name and renamed over its target, so
// a file of the same name is replaced whole, and a symbolic link standing at
// the name is replaced rather than written through. Nothing is written into a
// sub-folder that is a link, no link is ever created (link members are
// skipped), and folder members create nothing. Sizes are counted while
// inflating, whatever the archive's headers claim.
class ZipExtractor {
public:
    struct Limits {
        qint64 memberBytes = qint64(256) * 1024 * 1024; // one member, uncompressed
        qint64 totalBytes = qint64(512) * 1024 * 1024;  // every member written, together
    };

    struct Skipped {
        QString name;   // the member's name as the archive spells it
        QString reason; // why it was not written
    };

    struct Result {
        QStringList extracted; // member names written
        QVector<Skipped> skipped;
    };

    // Decides on a member by its name ("/" separated, relative, inside the
    // folder); true to extract it.
    using Acceptor = std::function<bool(const QString& name)>;

    // Raises QuilletError only when the archive cannot be opened at all; a
    // member that cannot be read or written is skipped with its reason, and
    // the other members are still extracted.
    static Result extract(const QString& archive, const QString& folder, const Acceptor& accept, const Limits& limits);
    // The same with the default limits.
    static Result extract(const QString& archive, const QString& folder, const Acceptor& accept);

    // True for a relative member name that stays inside the target folder.
    static bool isSafeMemberName(const QString& name);
    // The member's name with "\" turned into "/".
    static QString normalisedName(const QString& name);
};
