#pragma once

#include <QStringList>
#include <QTextStream>

// The whole of quillet-cli-page: "[--dir DIR] capture|fill ARGS" as
// quillet-cli hands them on (program name first). Returns the exit code.
int runPageCommandLine(QStringList arguments, QTextStream& out, QTextStream& err);
