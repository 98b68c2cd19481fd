#pragma once

#include "Command.h"

// Lists every program name, in the order of the programs list.
class ProgramsCommand : public Command {
public:
    QString name() const override { return QStringLiteral("programs"); }
    QString summary() const override { return QStringLiteral("List the programs, one name per line."); }

protected:
    int run(const QCommandLineParser& parser, CommandContext& context) override;
};

// Lists the sites that pass the site filter in force, another filter, or all.
class SitesCommand : public Command {
public:
    QString name() const override { return QStringLiteral("sites"); }
    QString summary() const override
    {
        return QStringLiteral("List the sites that pass the site filter, one name per line, in name order.");
    }

protected:
    void configure(QCommandLineParser& parser) const override;
    int run(const QCommandLineParser& parser, CommandContext& context) override;
};

// Prints one of the three reports or saves it to a file.
class ReportCommand : public Command {
public:
    QString name() const override { return QStringLiteral("report"); }
    QString summary() const override
    {
        return QStringLiteral("Print the progress, accounts or hidden sites report (CR LF line ends).");
    }

protected:
    void configure(QCommandLineParser& parser) const override;
    int run(const QCommandLineParser& parser, CommandContext& context) override;
};

// Merges a site list archive into the Sites table.
class MergeSitesCommand : public Command {
public:
    QString name() const override { return QStringLiteral("merge-sites"); }
    QString summary() const override { return QStringLiteral("Merge a site list archive (sites.zip) into the sites."); }

protected:
    void configure(QCommandLineParser& parser) const override;
    int run(const QCommandLineParser& parser, CommandContext& context) override;
};
