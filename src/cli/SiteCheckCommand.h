#pragma once

#include "Command.h"
#include "HelperCommandInfo.h"

// Checks the addresses of the sites that pass the site filter (or EXPR, or
// all sites) as "Check site addresses..." does, stores each site's outcome
// and prints the report, or CSV with --csv. Progress goes to stderr.
class SiteCheckCommand : public Command {
public:
    QString name() const override { return QString::fromLatin1(kCheckSitesCommandInfo.name); }
    QString summary() const override { return QString::fromLatin1(kCheckSitesCommandInfo.summary); }

protected:
    void configure(QCommandLineParser& parser) const override;
    int run(const QCommandLineParser& parser, CommandContext& context) override;
};
