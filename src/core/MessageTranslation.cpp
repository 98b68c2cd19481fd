#include "MessageTranslation.h"

namespace {

MessageTranslator& translator()
{
    static MessageTranslator instance;
    return instance;
}

} // namespace

void installMessageTranslator(MessageTranslator t)
{
    translator() = std::move(t);
}

QString translateMessage(const QString& text)
{
    const MessageTranslator& t = translator();
    return t ? t(text) : text;
}
