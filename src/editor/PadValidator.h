#pragma once

#include "PadDocument.h"
#include "PadFieldRules.h"

#include <QList>
#include <QString>

// Checks a PAD file against the PAD 3.11 field list: each field present
// against its pattern, each required field for presence, element names for
// their letter case, and every language's description block against the
// English block's rules. Unknown elements are accepted (extensions), except
// that a first-level name one or two letters away from a PAD section is
// reported as a likely misspelling.
class PadValidator {
public:
    using Level = PadFieldRules::Level;

    struct Problem {
        Level level = Level::Error;
        // Where: the element's path below XML_DIZ_INFO as the file spells it
        // (the format's spelling for a missing element).
        QString path;
        // The field of the format's list (its English description path for
        // any language's block); empty for problems of no one field.
        QString field;
        QString value;
        bool missing = false;
        QString text;

        // "error: PATH \"VALUE\": TEXT", the value cut to 60 characters
        // with its line breaks shown as \n; no value for a missing element.
        QString line() const;
    };

    // The most characters of a value a problem line shows.
    static constexpr int ShownValueLength = 60;

    static QList<Problem> validate(const PadDocument& document);
    // Reads the file as the import does (size limits, no DTD, no external
    // entities) and checks it. Raises QuilletError when it cannot be read.
    static QList<Problem> validateFile(const QString& path);

    // The problems that count as failures: errors, and with strict warnings too.
    static int failures(const QList<Problem>& problems, bool strict);

    // "SUBJECT: 1 error, 2 warnings" in the language in force, each count in
    // its singular or plural ("no errors" for none), or that nothing was found.
    static QString summary(const QString& subject, const QList<Problem>& problems);

    // The value as a problem line shows it.
    static QString shortened(const QString& value);
};
