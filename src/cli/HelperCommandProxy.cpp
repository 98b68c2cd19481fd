#include "HelperCommandProxy.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStringDecoder>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>
#endif

QString HelperCommandProxy::helperPath(const QString& program)
{
    const QString folder = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    const QString& name = program;
    // Beside quillet-cli in a build or a portable copy; in the helpers'
    // folder of an installed copy.
    const QString beside = folder + name;
    if (QFileInfo(beside).isExecutable())
        return beside;
    return QDir::cleanPath(folder + QStringLiteral(QUILLET_INSTALLED_HELPER_DIR) + QLatin1Char('/') + name);
}

int HelperCommandProxy::execute(const QStringList& arguments, CommandContext& context)
{
    const QString helper = helperPath(QString::fromLatin1(m_program));
    if (!QFileInfo(helper).isExecutable()) {
        context.err << name() << ": needs the program " << helper << ", which is missing" << '\n';
        return ExitFailure;
    }
    QProcess process;
    process.setProgram(helper);
    // The folder quillet-cli chose, whatever rule chose it (none for a help text).
    QStringList helperArguments;
    if (!context.programDirectory.isEmpty())
        helperArguments << QStringLiteral("--dir") << context.programDirectory;
    process.setArguments(helperArguments + arguments);
    process.setInputChannelMode(QProcess::ForwardedInputChannel);
#ifdef Q_OS_LINUX
    // The helper ends with quillet-cli, however quillet-cli ends (SIGTERM,
    // SIGKILL): it must not go on to merge or send for a command that is gone.
    const pid_t parent = ::getpid();
    process.setChildProcessModifier([parent] {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent)
            ::_exit(ExitFailure);
    });
#endif
    process.start();
    if (!process.waitForStarted(-1)) {
        context.err << name() << ": " << helper << ": " << process.errorString() << '\n';
        return ExitFailure;
    }
    // Pass the output on as it comes, so a long page load shows what is done;
    // a character split between two reads is decoded whole.
    QStringDecoder outText(QStringDecoder::Utf8);
    QStringDecoder errText(QStringDecoder::Utf8);
    const auto forward = [&] {
        const QByteArray out = process.readAllStandardOutput();
        if (!out.isEmpty())
            context.out << QString(outText.decode(out));
        const QByteArray err = process.readAllStandardError();
        if (!err.isEmpty())
            context.err << QString(errText.decode(err));
        context.out.flush();
        context.err.flush();
    };
    while (!process.waitForFinished(200))
        forward();
    forward();
    if (process.exitStatus() != QProcess::NormalExit) {
        context.err << name() << ": " << helper << " ended abnormally" << '\n';
        return ExitFailure;
    }
    return process.exitCode();
}

int HelperCommandProxy::run(const QCommandLineParser&, CommandContext&)
{
    // execute() hands everything to the helper; nothing runs here.
    return ExitFailure;
}
