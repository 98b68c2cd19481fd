#pragma once

#include "Command.h"

// Prints the program directory and the rule that chose it, the settings in
// force and the tables' versions and sizes, one "key: value" line each.
// Writes nothing, not even missing tables.
class InfoCommand : public Command {
public:
    QString name() const override { return QStringLiteral("info"); }
    QString summary() const override
    {
        return QStringLiteral("Show the program directory, the settings in force and the tables.");
    }
    bool writesProgramDirectory() const override { return false; }

protected:
    int run(const QCommandLineParser& parser, CommandContext& context) override;
};
