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
class FilterExpression {
public:
    // Parses text against the table's columns. An empty text gives a filter
    // that passes every row. Check isValid() and errorText().
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
