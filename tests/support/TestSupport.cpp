#include "TestSupport.h"

#include <QUrl>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <chrono>
#include <exception>
#include <future>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

TestProgramDirectory::TestProgramDirectory()
{
    if (!m_dir.isValid())
        qFatal("cannot create a temporary folder");
}

QString TestProgramDirectory::path() const
{
    return m_dir.path() + QLatin1Char('/');
}

void TestProgramDirectory::writeFile(const QString& name, const QByteArray& bytes) const
{
    const QString full = file(name);
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile f(full);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(full));
}

QByteArray TestProgramDirectory::readFile(const QString& name) const
{
    QFile f(file(name));
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

RecordingMessageSink::RecordingMessageSink()
    : m_previous(MessageSink::install(this))
{ }

RecordingMessageSink::~RecordingMessageSink()
{
    MessageSink::install(m_previous);
}

void RecordingMessageSink::showMessage(const QString& text, const QString& title)
{
    messages.append({text, title});
}

bool RecordingMessageSink::askYesNo(const QString& text, const QString& title)
{
    questions.append({text, title});
    return m_answer == Answer::Yes;
}

MessageSink::Answer RecordingMessageSink::askYesNoCancel(const QString& text, const QString& title)
{
    questions.append({text, title});
    return m_answer;
}

QStringList RecordingMessageSink::texts() const
{
    QStringList result;
    for (const Entry& entry : messages)
        result.append(entry.text);
    return result;
}

QString testDataPath(const QString& name)
{
    return qEnvironmentVariable("QUILLET_TEST_DATA") + QLatin1Char('/') + name;
}

QString testPageUrlIn(const QString& name, const QString& folder)
{
    const QString pages = QDir(folder).filePath(QStringLiteral("pages"));
    QDir().mkpath(pages);
    const QString copy = QDir(pages).filePath(QFileInfo(name).fileName());
    if (!QFileInfo::exists(copy))
        QFile::copy(testDataPath(name), copy);
    return QUrl::fromLocalFile(copy).toString();
}

TestFifo::TestFifo(QString path)
    : m_path(std::move(path))
{
    if (::mkfifo(QFile::encodeName(m_path).constData(), 0600) != 0)
        qFatal("cannot create the FIFO %s", qPrintable(m_path));
}

TestFifo::~TestFifo()
{
    QFile::remove(m_path);
}

bool TestFifo::returnsPromptly(const std::function<void()>& work, int seconds)
{
    std::promise<void> done;
    std::future<void> finished = done.get_future();
    std::thread worker([&work, &done] {
        try {
            work();
            done.set_value();
        } catch (...) {
            done.set_exception(std::current_exception());
        }
    });
    const bool prompt = finished.wait_for(std::chrono::seconds(seconds)) == std::future_status::ready;
    while (finished.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) {
        // A reader waits for a writer: be one, then leave, so it reads an end of file.
        const int fd = ::open(QFile::encodeName(m_path).constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
        finished.wait_for(std::chrono::milliseconds(50));
    }
    worker.join();
    finished.get();
    return prompt;
}
