#pragma once

#include <QString>
#include <QTextStream>

// The import of a PAD file without a window, as quillet-cli runs it: the
// settings and the tables are opened as at start-up, and the file is read
// into a freshly opened editor.
//
// Program mode: the cleared editor (no dates) takes the file's
// program details, which are stored in the Programs table; prints the
// program's name. Company mode: the current company's details take the
// file's company details, which are then saved as "Save company" and the
// settings store do (companies.ini and LastCompany); prints the company's name.
//
// Returns 0 on success; 1, with the error on err, when the file does not
// exist, when the walk stopped on an error (nothing is stored then: no
// program, no company, no settings), when the company's name cannot be
// stored or when nothing was stored.
int runPadImport(
    const QString& programDirectory, const QString& padFile, bool companyMode, QTextStream& out, QTextStream& err);
