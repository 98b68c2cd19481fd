#include "MessageSink.h"

#include <cstdio>

namespace {

StreamMessageSink& stderrSink()
{
    static StreamMessageSink sink;
    return sink;
}

MessageSink* g_current = nullptr;

void writeLine(const QString& title, const QString& text)
{
    // One line per message: line breaks inside the text become blanks.
    QString line = text;
    line.replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (!title.isEmpty())
        line = title + QLatin1String(": ") + line;
    std::fprintf(stderr, "%s\n", line.toUtf8().constData());
    std::fflush(stderr);
}

} // namespace

MessageSink& MessageSink::current()
{
    return g_current ? *g_current : stderrSink();
}

MessageSink* MessageSink::install(MessageSink* sink)
{
    MessageSink* previous = g_current;
    g_current = sink;
    return previous;
}

void StreamMessageSink::showMessage(const QString& text, const QString& title)
{
    writeLine(title, text);
}

bool StreamMessageSink::askYesNo(const QString& text, const QString& title)
{
    writeLine(title, text);
    return m_answer == Answer::Yes;
}

MessageSink::Answer StreamMessageSink::askYesNoCancel(const QString& text, const QString& title)
{
    writeLine(title, text);
    return m_answer;
}
