#pragma once

#include <QString>

#include <functional>

// The lower layers translate their messages through this hook. The message
// translator of the language layer installs itself at start-up; until then,
// and in programs that install none, every message stays English.
using MessageTranslator = std::function<QString(const QString&)>;

void installMessageTranslator(MessageTranslator translator);
QString translateMessage(const QString& text);
