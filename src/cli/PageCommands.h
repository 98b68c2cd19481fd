#pragma once

#include "Command.h"

// Loads a page in a headless browser page and saves its form as "Save form" does.
class CaptureCommand : public Command {
public:
    QString name() const override { return QStringLiteral("capture"); }
    QString summary() const override
    {
        return QStringLiteral("Load a page and record its form for a site, as \"Save form\" does.");
    }

protected:
    void configure(QCommandLineParser& parser) const override;
    int run(const QCommandLineParser& parser, CommandContext& context) override;
};

// Loads a page, fills it as "Auto fill form" does, lets the fields the page
// adds afterwards be filled for a while (--settle MS) and prints every form
// control; with --preview prints only what the fill would change.
class FillCommand : public Command {
public:
    QString name() const override { return QStringLiteral("fill"); }
    QString summary() const override
    {
        return QStringLiteral("Load a page, fill its form as \"Auto fill form\" does and print the controls as JSON.");
    }

protected:
    void configure(QCommandLineParser& parser) const override;
    int run(const QCommandLineParser& parser, CommandContext& context) override;
};

// True when the command line runs a command that needs a browser page, so
// that main can create the application object such a page needs.
bool commandNeedsPage(const QStringList& arguments);
