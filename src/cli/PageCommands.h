#pragma once

#include "Command.h"
#include "HelperCommandInfo.h"

// Loads a page in a headless browser page and saves its form as "Save form" does.
class CaptureCommand : public Command {
public:
    QString name() const override { return QString::fromLatin1(kCaptureCommandInfo.name); }
    QString summary() const override { return QString::fromLatin1(kCaptureCommandInfo.summary); }

protected:
    void configure(QCommandLineParser& parser) const override;
    int run(const QCommandLineParser& parser, CommandContext& context) override;
};

// Loads a page, fills it as "Auto fill form" does, lets the fields the page
// adds afterwards be filled for a while (--settle MS) and prints every form
// control; with --preview prints only what the fill would change.
class FillCommand : public Command {
public:
    QString name() const override { return QString::fromLatin1(kFillCommandInfo.name); }
    QString summary() const override { return QString::fromLatin1(kFillCommandInfo.summary); }

protected:
    void configure(QCommandLineParser& parser) const override;
    int run(const QCommandLineParser& parser, CommandContext& context) override;
};
