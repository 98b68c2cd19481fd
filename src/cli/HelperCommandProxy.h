#pragma once

#include "Command.h"
#include "HelperCommandInfo.h"

// A command as quillet-cli lists and starts it when the command itself runs
// in a helper program (beside quillet-cli, or in an installed copy's helpers'
// folder), so that no other command loads the helper's heavy library. The
// arguments (and "--help") go to the helper unchanged, with the program
// directory in force; its output, errors and exit code come back as the
// command's own.
class HelperCommandProxy : public Command {
public:
    HelperCommandProxy(const CommandInfo& info, const char* program)
        : m_info(info)
        , m_program(program)
    { }

    QString name() const override { return QString::fromLatin1(m_info.name); }
    QString summary() const override { return QString::fromLatin1(m_info.summary); }

    int execute(const QStringList& arguments, CommandContext& context) override;

    // The helper program: program beside the running program, or in the
    // helpers' folder of an installed copy.
    static QString helperPath(const QString& program);

protected:
    int run(const QCommandLineParser& parser, CommandContext& context) override;

private:
    CommandInfo m_info;
    const char* m_program;
};
