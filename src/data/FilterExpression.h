#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>

// A record filter in the table filter language, turned into a parameterised
// SQL condition:
//
//   filter     := term { OR term }
//   term       := factor { AND factor }
//   factor     := "(" filter ")" | comparison
//   comparison := field ( "=" | ">" ) literal
//   literal    := True | False | Null | 'text' | number
//
// Keywords and field names are matched without regard to case; fields must be
// columns of the table; a quote inside a text literal is doubled. AND binds
// more tightly than OR. "Field = Null" is true for a null value. No part of
// the filter text ever reaches the SQL text except known column names.
//
// A filter nests parentheses at most MaxNesting levels deep and holds at most
// MaxComparisons comparisons; a longer or deeper one is refused like any
// other bad filter, so the condition always stays within what the engine
// parses. Parsing takes time in proportion to the text's length.
class FilterExpression {
public:
    static constexpr int MaxNesting = 12;
    static constexpr int MaxComparisons = 500;

    // Parses text against the table's columns. An empty text gives a filter
    // that passes every row. Check isValid() and errorText(). This is the
    // one entry point for any filter text, however hostile.
    static FilterExpression parse(const QString& text, const QStringList& columns);

    bool isValid() const { return m_error.isEmpty(); }
    const QString& errorText() const { return m_error; }

    // The SQL condition (in parentheses; "1" for an empty filter) and its values.
    const QString& sql() const { return m_sql; }
    const QVariantList& parameters() const { return m_parameters; }

private:
    QString m_sql = QStringLiteral("1");
    QVariantList m_parameters;
    QString m_error;
};
