#pragma once

#include "TableSchema.h"

#include <QDateTime>
#include <QString>

// Repairs a damaged table file without ever writing to it: the file is first
// copied beside itself as "<file>.damaged-YYYYMMDD-HHMMSS" (owner-only, like
// the table), its rows are read from that copy, table by table scan, into a
// new file with the same structure, indexes and version, which is checked and
// then renamed over the damaged one. A repair that fails at any point leaves
// the table file exactly as it was and keeps no copy.
//
// The file must not be attached to any connection while it is repaired.
class TableRepair {
public:
    struct Result {
        bool ok = false;
        int rows = 0;        // rows of the repaired table
        int rowsLeftOut = 0; // rows read that the table's keys could not take (duplicates)
        QString copyPath;    // the damaged file's copy (kept only when ok)
        QString error;       // why the repair failed
    };

    static Result repair(const QString& path, Table table, const QDateTime& when = QDateTime::currentDateTime());

    // path + ".damaged-" + when as YYYYMMDD-HHMMSS, with "-2", "-3" ... added
    // when that name is taken.
    static QString copyName(const QString& path, const QDateTime& when);
};
