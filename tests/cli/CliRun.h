#pragma once

#include <QString>
#include <QStringList>

// What one run of quillet-cli gave: its exit code (-1 when it did not end
// normally) and what it wrote to stdout and stderr.
struct CliResult {
    int code = -1;
    QString out;
    QString err;
    QStringList lines() const { return out.split(QLatin1Char('\n'), Qt::SkipEmptyParts); }
};

// quillet-cli's command line run in this process ("quillet-cli" is put first).
CliResult runCli(const QStringList& arguments);

// quillet-cli as its own process from the build's bin folder, as a user runs
// it: in workingDirectory (empty: this process's), without the environment
// variables named in unsetVariables. Waits up to two minutes.
CliResult runCliProcess(
    const QStringList& arguments, const QString& workingDirectory = QString(), const QStringList& unsetVariables = {});
