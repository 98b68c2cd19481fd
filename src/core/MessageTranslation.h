#pragma once

#include <QString>

#include <functional>

// The lower layers translate their messages through this hook. The message
// translator of the language layer installs itself at start-up; until then,
// and in programs that install none, every message stays English.
using MessageTranslator = std::function<QString(const QString&)>;

void installMessageTranslator(MessageTranslator translator);
QString translateMessage(const QString& text);

// Marks a message text that reaches translateMessage (or translateMsg) later,
// through a variable or a parameter; it stands for the text itself.
// scripts/lng-keys.py lists the texts so marked beside those passed to the
// translation directly, and the call that takes the variable carries the
// comment "lng-keys: indirect".
#define MESSAGE_NOOP(text) text
