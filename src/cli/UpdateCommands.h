#pragma once

#include "Command.h"
#include "HelperCommandInfo.h"

// Runs the check for site updates against the update server set in the
// settings, as the window's "Check for site updates" does.
class CheckUpdatesCommand : public Command {
public:
    QString name() const override { return QString::fromLatin1(kCheckUpdatesCommandInfo.name); }
    QString summary() const override { return QString::fromLatin1(kCheckUpdatesCommandInfo.summary); }

protected:
    void configure(QCommandLineParser& parser) const override;
    int run(const QCommandLineParser& parser, CommandContext& context) override;
};

// Writes the sites as an update server publishes them: DIR/download/quilletver.ini
// and DIR/members/sites.zip.
class PublishSitesCommand : public Command {
public:
    QString name() const override { return QString::fromLatin1(kPublishSitesCommandInfo.name); }
    QString summary() const override { return QString::fromLatin1(kPublishSitesCommandInfo.summary); }

protected:
    void configure(QCommandLineParser& parser) const override;
    int run(const QCommandLineParser& parser, CommandContext& context) override;
};
