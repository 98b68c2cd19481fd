#pragma once

#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

// The fields of a PAD 3.11 file, each at its path below XML_DIZ_INFO with
// the format's own pattern, and the check of one value against its field.
class PadFieldRules {
public:
    // What a field holds; it decides how a failed check is put in words.
    enum class Kind {
        Text,         // characters of a class, between a least and a most
        Email,        // name@host.domain
        Enum,         // one value of a list
        OsList,       // operating system ids, separated by commas
        LanguageList, // language ids, joined by commas
        Url,          // an address of a given scheme and ending
        Number,       // digits only
        Decimal,      // digits and points
        Price,        // 12 or 12.95
        Month,
        Day,
        Year,
        Phone,
        Version, // the format version, such as 3.11
    };

    struct Rule {
        QString path;          // below XML_DIZ_INFO, as the format spells it
        QString pattern;       // the format's Perl pattern
        bool required = false; // the pattern refuses an empty value
        Kind kind = Kind::Text;
        QString shape; // an address's form, for Url
        QRegularExpression expression;
        // Text: the least and most characters and the pattern's character
        // class; Enum, OsList, LanguageList: the values allowed.
        int least = 0;
        int most = -1;
        QRegularExpression characterClass;
        QStringList values;

        QString name() const { return path.section(QLatin1Char('/'), -1); }
    };

    enum class Level { Error, Warning };

    struct Finding {
        Level level = Level::Error;
        QString text; // the rule in words, starting with the field's name
        // The blanks or line breaks at the value's ends break the rule: the
        // value is to be shown with them.
        bool aboutBlanks = false;
    };

    // Every field, in the order of the format's list.
    static const QList<Rule>& rules();
    // The field at path (exact spelling), or nullptr.
    static const Rule* find(const QString& path);

    // The findings for one value of a field, as the file holds it: none when
    // it passes. An error breaks the format in a way a site's reader trips
    // on; a warning breaks only a 3.11 rule that sites no longer hold to
    // (https:// where the pattern names http://, a system or language the
    // 3.11 list lacks). The value is checked without the blanks and line
    // breaks at its ends, as a reader that trims sees it; when it passes so,
    // those blanks are checked as the pattern takes them (an error where it
    // refuses them), as a reader that does not trim sees it.
    static QList<Finding> check(const Rule& rule, const QString& value);

    // Characters as the patterns count them (code points, not UTF-16 units).
    static int characterCount(const QString& value);

    // The value of list that is nearest to text (letter case and blanks
    // aside), by edit distance.
    static QString closest(const QString& text, const QStringList& list);
    // The edit distance (insertions, deletions, changes) between a and b.
    static int distance(const QString& a, const QString& b);

private:
    // check for a value with no blanks or line breaks at its ends.
    static QList<Finding> checkTrimmed(const Rule& rule, const QString& value);
    // The findings for the blanks and line breaks at the ends of value that
    // the pattern refuses, trimmed (value without them) passing.
    static QList<Finding> blankFindings(const Rule& rule, const QString& value, const QString& trimmed);
};
