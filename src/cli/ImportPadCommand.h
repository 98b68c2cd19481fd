#pragma once

#include "Command.h"

// Imports a PAD file as the company and program editor does: the program's
// details into the Programs table, or with --company the company's details
// into companies.ini as the current company. Prints the name stored.
class ImportPadCommand : public Command {
public:
    QString name() const override { return QStringLiteral("import-pad"); }
    QString summary() const override
    {
        return QStringLiteral("Import a PAD file: store its program, or with --company its company details.");
    }

protected:
    void configure(QCommandLineParser& parser) const override;
    int run(const QCommandLineParser& parser, CommandContext& context) override;
};
