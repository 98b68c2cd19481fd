#pragma once

#include "Command.h"

// Prints the settings in force, one "key: value" line each. Never writes them.
class InfoCommand : public Command {
public:
    QString name() const override { return QStringLiteral("info"); }
    QString summary() const override { return QStringLiteral("Show the program directory and the settings in force."); }

protected:
    int run(const QCommandLineParser& parser, CommandContext& context) override;
};
