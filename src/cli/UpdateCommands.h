#pragma once

#include "Command.h"

// Runs the check for site updates against the update server set in the
// settings, as the window's "Check for site updates" does.
class CheckUpdatesCommand : public Command {
public:
    QString name() const override { return QStringLiteral("check-updates"); }
    QString summary() const override
    {
        return QStringLiteral("Check the update server for a newer program and site list; merge a newer list.");
    }

protected:
    void configure(QCommandLineParser& parser) const override;
    int run(const QCommandLineParser& parser, CommandContext& context) override;
};

// Writes the sites as an update server publishes them: DIR/download/quilletver.ini
// and DIR/members/sites.zip.
class PublishSitesCommand : public Command {
public:
    QString name() const override { return QStringLiteral("publish-sites"); }
    QString summary() const override
    {
        return QStringLiteral("Write the sites and a manifest into a folder for an update server to serve.");
    }

protected:
    void configure(QCommandLineParser& parser) const override;
    int run(const QCommandLineParser& parser, CommandContext& context) override;
};
