#pragma once

#include "MessageSink.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

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
