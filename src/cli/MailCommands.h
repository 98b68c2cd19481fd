#pragma once

#include "Command.h"
#include "HelperCommandInfo.h"

// Composes the mail that a site's submit or update page (or the request to
// make the site velmora friendly) would open in the mail window, and prints it.
class ComposeMailCommand : public Command {
public:
    QString name() const override { return QString::fromLatin1(kComposeMailCommandInfo.name); }
    QString summary() const override { return QString::fromLatin1(kComposeMailCommandInfo.summary); }

protected:
    void configure(QCommandLineParser& parser) const override;
    int run(const QCommandLineParser& parser, CommandContext& context) override;
};

// Sends a mail as the mail window's "&Mail" does, with the settings in force:
// composed for a site as compose-mail does, or from --to, --subject and a body file.
class SendMailCommand : public Command {
public:
    QString name() const override { return QString::fromLatin1(kSendMailCommandInfo.name); }
    QString summary() const override { return QString::fromLatin1(kSendMailCommandInfo.summary); }

protected:
    void configure(QCommandLineParser& parser) const override;
    int run(const QCommandLineParser& parser, CommandContext& context) override;
};
