#pragma once

#include <QCommandLineParser>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <memory>
#include <vector>

// ExitMergedNotSaved: a site list merge was committed, but the settings (the
// site list version) could not be saved.
enum ExitCode { ExitSuccess = 0, ExitFailure = 1, ExitUsage = 2, ExitMergedNotSaved = 3 };

// What a command works on and where it writes.
struct CommandContext {
    QString programDirectory;
    QTextStream& out;
    QTextStream& err;
    // Which rule chose the program directory ("--dir", "portable (...)", ...).
    QString programDirectoryRule = QString();
};

// One quillet-cli command. Its arguments are parsed with QCommandLineParser;
// "COMMAND --help" prints the parser's help text.
class Command {
public:
    virtual ~Command() = default;

    virtual QString name() const = 0;
    virtual QString summary() const = 0;
    // False for a command that writes nothing: a missing program directory
    // named with --dir is then not created for it.
    virtual bool writesProgramDirectory() const { return true; }

    // Runs the command on arguments (the command's name first).
    virtual int execute(const QStringList& arguments, CommandContext& context);

protected:
    // Adds the command's options and positional arguments.
    virtual void configure(QCommandLineParser& parser) const;
    // Runs the command after its arguments parsed cleanly.
    virtual int run(const QCommandLineParser& parser, CommandContext& context) = 0;
    // Writes "COMMAND: text" to the error stream; returns ExitUsage.
    int usageError(CommandContext& context, const QString& text) const;
};

// Every command of quillet-cli, in the order --help lists them.
class CommandRegistry {
public:
    static const std::vector<std::unique_ptr<Command>>& commands();
    static Command* find(const QString& name);
};

// The whole of quillet-cli: arguments as main receives them (program name
// first). Returns the exit code.
int runCommandLine(QStringList arguments, QTextStream& out, QTextStream& err);
