#pragma once

#include "Command.h"

// Composes the mail that a site's submit or update page (or the request to
// make the site velmora friendly) would open in the mail window, and prints it.
class ComposeMailCommand : public Command {
public:
    QString name() const override { return QStringLiteral("compose-mail"); }
    QString summary() const override
    {
        return QStringLiteral("Print the mail a site's e-mail submission would open in the mail window.");
    }

protected:
    void configure(QCommandLineParser& parser) const override;
    int run(const QCommandLineParser& parser, CommandContext& context) override;
};

// Sends a mail as the mail window's "&Mail" does, with the settings in force:
// composed for a site as compose-mail does, or from --to, --subject and a body file.
class SendMailCommand : public Command {
public:
    QString name() const override { return QStringLiteral("send-mail"); }
    QString summary() const override
    {
        return QStringLiteral("Send a mail over SMTP as the mail window does, logging it in QuilletMail.log.");
    }

protected:
    void configure(QCommandLineParser& parser) const override;
    int run(const QCommandLineParser& parser, CommandContext& context) override;
};
