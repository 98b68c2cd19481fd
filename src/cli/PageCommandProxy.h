#pragma once

#include "Command.h"
#include "PageCommandInfo.h"

// A command that loads a page, as quillet-cli lists and starts it: the
// command itself runs in the helper program quillet-cli-page (beside
// quillet-cli, or in an installed copy's helpers' folder), so that no other
// command loads the browser engine. The
// arguments (and "--help") go to the helper unchanged, with the program
// directory in force; its output, errors and exit code come back as the
// command's own.
class PageCommandProxy : public Command {
public:
    explicit PageCommandProxy(const PageCommandInfo& info)
        : m_info(info)
    { }

    QString name() const override { return QString::fromLatin1(m_info.name); }
    QString summary() const override { return QString::fromLatin1(m_info.summary); }

    int execute(const QStringList& arguments, CommandContext& context) override;

    // The helper program: quillet-cli-page beside the running program, or in
    // the helpers' folder of an installed copy.
    static QString helperPath();

protected:
    int run(const QCommandLineParser& parser, CommandContext& context) override;

private:
    PageCommandInfo m_info;
};
