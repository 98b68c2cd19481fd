#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>

// The bytes of a zip archive holding the given members (name, bytes), built
// with libzip directly.
QByteArray zipArchive(const QList<QPair<QByteArray, QByteArray>>& members);
