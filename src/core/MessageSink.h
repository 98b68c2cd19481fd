#pragma once

#include <QString>

// Where the lower layers send the messages and questions meant for the user.
// The desktop program shows message boxes, quillet-cli writes to stderr and
// tests record what was said. Exactly one sink is installed at a time.
class MessageSink {
public:
    enum class Answer { Yes, No, Cancel };

    virtual ~MessageSink() = default;

    // A message box with an OK button. An empty title means the program's title.
    virtual void showMessage(const QString& text, const QString& title = QString()) = 0;

    // A message box with Yes and No buttons.
    virtual bool askYesNo(const QString& text, const QString& title = QString()) = 0;

    // A message box with Yes, No and Cancel buttons.
    virtual Answer askYesNoCancel(const QString& text, const QString& title = QString()) = 0;

    // The sink in force; a sink that writes to stderr and answers No until another is installed.
    static MessageSink& current();

    // Installs sink (not owned) and returns the one it replaces; nullptr restores the stderr sink.
    static MessageSink* install(MessageSink* sink);
};

// Writes every message as one line to stderr and answers every question with a fixed answer.
class StreamMessageSink : public MessageSink {
public:
    explicit StreamMessageSink(Answer answer = Answer::No)
        : m_answer(answer)
    { }

    void showMessage(const QString& text, const QString& title = QString()) override;
    bool askYesNo(const QString& text, const QString& title = QString()) override;
    Answer askYesNoCancel(const QString& text, const QString& title = QString()) override;

private:
    Answer m_answer;
};

// Installs a sink for the lifetime of the guard and restores the previous one afterwards.
class ScopedMessageSink {
public:
    explicit ScopedMessageSink(MessageSink* sink)
        : m_previous(MessageSink::install(sink))
    { }
    ~ScopedMessageSink() { MessageSink::install(m_previous); }
    ScopedMessageSink(const ScopedMessageSink&) = delete;
    ScopedMessageSink& operator=(const ScopedMessageSink&) = delete;

private:
    MessageSink* m_previous;
};
