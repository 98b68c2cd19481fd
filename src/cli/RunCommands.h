#pragma once

#include "Command.h"

// Prints a program's submission or update queue, one site a line.
class RunQueueCommand : public Command {
public:
    QString name() const override { return QStringLiteral("run-queue"); }
    QString summary() const override
    {
        return QStringLiteral("Print the sites a submission (or update) run of a program goes to, in run order.");
    }

protected:
    void configure(QCommandLineParser& parser) const override;
    int run(const QCommandLineParser& parser, CommandContext& context) override;
};

// Sets a program's flag at a site as the site selector does, with a history row.
class MarkCommand : public Command {
public:
    QString name() const override { return QStringLiteral("mark"); }
    QString summary() const override
    {
        return QStringLiteral("Mark a program at a site submitted, published or not applicable, or clear those.");
    }

protected:
    void configure(QCommandLineParser& parser) const override;
    int run(const QCommandLineParser& parser, CommandContext& context) override;
};

// Prints the submission history.
class HistoryCommand : public Command {
public:
    QString name() const override { return QStringLiteral("history"); }
    QString summary() const override { return QStringLiteral("Print the submission history, oldest first."); }

protected:
    void configure(QCommandLineParser& parser) const override;
    int run(const QCommandLineParser& parser, CommandContext& context) override;
};
