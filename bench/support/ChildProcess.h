#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// One run of a program as its own process, as a user or a script starts it:
// the wall time from start to exit and the process's peak resident memory.
struct ChildRun {
    bool ok = false; // started and exited normally with code 0
    int exitCode = -1;
    double seconds = 0; // from before the start to after the exit
    double peakMB = 0;  // the child's own peak resident set
};

// Runs program with arguments, its output and errors thrown away, with the
// environment of this process plus the given NAME=VALUE entries.
ChildRun runChild(const QString& program, const QStringList& arguments, const QStringList& environment = {});

// The folder of the running benchmark, where the programs are built.
QString binaryFolder();

// The middle value (the mean of the two middle ones for an even count): what
// the ratios are taken of, so that a run slowed by other work on the machine
// does not decide them.
double median(std::vector<double> values);
