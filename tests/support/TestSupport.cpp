#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

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
