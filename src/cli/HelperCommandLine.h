#pragma once

#include "Command.h"

#include <QStringList>
#include <QTextStream>

#include <memory>
#include <vector>

// The whole of a helper program that quillet-cli starts for some of its
// commands (see HelperCommandProxy): "[--dir DIR] COMMAND ARGS" as quillet-cli
// hands them on (program name first), run by the one of commands so named.
// Returns the exit code.
int runHelperCommandLine(
    QStringList arguments, QTextStream& out, QTextStream& err, const std::vector<std::unique_ptr<Command>>& commands);

// main() of a helper program, once its application object stands: names the
// application as quillet-cli, finds the shipped languages from the helper's
// own folder, runs the process's command line with commands on stdout and
// stderr and returns the exit code.
int runHelperProgram(const std::vector<std::unique_ptr<Command>>& commands);
