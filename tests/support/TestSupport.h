#pragma once

#include "MessageSink.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

// A fresh, empty program directory for one test, removed afterwards.
class TestProgramDirectory {
public:
    TestProgramDirectory();

    // The folder with a trailing separator, as the program uses it.
    QString path() const;
    QString file(const QString& name) const { return path() + name; }

    void writeFile(const QString& name, const QByteArray& bytes) const;
    QByteArray readFile(const QString& name) const;

private:
    QTemporaryDir m_dir;
};

// Records every message and question instead of showing it, and answers
// questions with a preset answer. Installs itself for its lifetime.
class RecordingMessageSink : public MessageSink {
public:
    RecordingMessageSink();
    ~RecordingMessageSink() override;

    struct Entry {
        QString text;
        QString title;
    };

    void showMessage(const QString& text, const QString& title = QString()) override;
    bool askYesNo(const QString& text, const QString& title = QString()) override;
    Answer askYesNoCancel(const QString& text, const QString& title = QString()) override;

    void setNextAnswer(Answer answer) { m_answer = answer; }

    QList<Entry> messages;
    QList<Entry> questions;

    QStringList texts() const;

private:
    Answer m_answer = Answer::Yes;
    MessageSink* m_previous;
};

// Path of a file under tests/data.
QString testDataPath(const QString& name);

// The address of a copy of the page tests/data/name inside folder (a program
// directory, under "pages/"): the browser opens local pages from the site
// list only inside the program folder.
QString testPageUrlIn(const QString& name, const QString& folder);

// A FIFO for tests of readers that must refuse one instead of waiting for a
// writer. Removed afterwards.
class TestFifo {
public:
    explicit TestFifo(QString path);
    ~TestFifo();

    TestFifo(const TestFifo&) = delete;
    TestFifo& operator=(const TestFifo&) = delete;

    const QString& path() const { return m_path; }

    // Runs work on another thread and tells whether it returned within
    // seconds. A reader stuck on the FIFO is then released (a writer opens
    // and closes it), so a failing test fails instead of hanging. An
    // exception work raises is raised again here.
    bool returnsPromptly(const std::function<void()>& work, int seconds = 10);

private:
    QString m_path;
};
