#pragma once

#include <QString>

#include <exception>

// The error every layer raises: a command that fails ends where the error was
// raised and the text reaches the user through the message sink. The text is
// already translated where the message is one of the program's own.
class QuilletError : public std::exception {
public:
    explicit QuilletError(QString text)
        : m_text(std::move(text))
        , m_utf8(m_text.toUtf8())
    { }

    const QString& text() const noexcept { return m_text; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_text;
    QByteArray m_utf8;
};

// A text that does not convert to the number or date asked for.
class ConversionError : public QuilletError {
public:
    using QuilletError::QuilletError;
};
