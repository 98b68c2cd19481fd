#include "FileSaver.h"

#include <QFileInfo>
#include <QSaveFile>

bool FileSaver::save(const QString& path, const QByteArray& bytes, Access access, QString* errorText)
{
    // QSaveFile gives an existing file's mode to its replacement; a new file
    // would get 0666 less the umask.
    const bool existed = QFileInfo::exists(path);
    QSaveFile file(path);
    bool ok = file.open(QIODevice::WriteOnly);
    if (ok && (access == Access::Private || (access == Access::OwnerOnly && !existed)))
        ok = file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    ok = ok && file.write(bytes) == bytes.size();
    ok = ok && file.commit();
    if (!ok) {
        if (errorText)
            *errorText = file.errorString();
        file.cancelWriting();
    }
    return ok;
}
