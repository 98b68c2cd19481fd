#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

// Builds zip archives in memory with libzip, so the caller can write them
// atomically. Members are deflated; names are stored as UTF-8.
class ZipWriter {
public:
    using Member = QPair<QString, QByteArray>;

    // The bytes of an archive holding members in order. Raises QuilletError
    // with libzip's text when the archive cannot be built.
    static QByteArray archive(const QList<Member>& members);
};
