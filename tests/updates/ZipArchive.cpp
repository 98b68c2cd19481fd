#include "ZipArchive.h"

#include <QFile>
#include <QTemporaryDir>

#include <zip.h>

QByteArray zipArchive(const QList<QPair<QByteArray, QByteArray>>& members)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("archive.zip"));
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        qFatal("cannot create a zip archive");
    for (const auto& member : members) {
        zip_source_t* source
            = zip_source_buffer(archive, member.second.constData(), zip_uint64_t(member.second.size()), 0);
        if (!source || zip_file_add(archive, member.first.constData(), source, ZIP_FL_OVERWRITE) < 0)
            qFatal("cannot add %s to a zip archive", member.first.constData());
    }
    if (zip_close(archive) != 0)
        qFatal("cannot write a zip archive");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read a zip archive back");
    return file.readAll();
}
