#pragma once

#include "Command.h"

// Writes a program's PAD file, as the editor's "Export PAD file..." does,
// from the current company and the program's record.
class ExportPadCommand : public Command {
public:
    QString name() const override { return QStringLiteral("export-pad"); }
    QString summary() const override
    {
        return QStringLiteral("Write a program's PAD 3.11 file from the company and the program's record.");
    }

protected:
    void configure(QCommandLineParser& parser) const override;
    int run(const QCommandLineParser& parser, CommandContext& context) override;
};

// Checks a PAD file against the PAD 3.11 rules, one line per problem on
// stdout ("error: ..." or "warning: ..."). Exit 0 without errors, 1 with
// errors (with --strict, with warnings too) or when the file cannot be read.
class ValidatePadCommand : public Command {
public:
    QString name() const override { return QStringLiteral("validate-pad"); }
    QString summary() const override
    {
        return QStringLiteral("Check a PAD file against the PAD 3.11 rules; exit 1 on errors.");
    }
    bool writesProgramDirectory() const override { return false; }

protected:
    void configure(QCommandLineParser& parser) const override;
    int run(const QCommandLineParser& parser, CommandContext& context) override;
};
