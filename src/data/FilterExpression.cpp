#include "FilterExpression.h"

#include "Sql.h"

namespace {

struct Token {
    enum Kind { End, Identifier, Text, Number, Equals, Greater, Open, Close };
    Kind kind = End;
    QString text;
    int position = 0; // from 1, for messages
};

class FilterError {
public:
    explicit FilterError(QString text)
        : message(std::move(text))
    { }
    QString message;
};

class Lexer {
public:
    explicit Lexer(const QString& text)
        : m_text(text)
    { }

    Token next()
    {
        while (m_pos < m_text.size() && m_text.at(m_pos).isSpace())
            ++m_pos;
        Token token;
        token.position = static_cast<int>(m_pos) + 1;
        if (m_pos >= m_text.size())
            return token;
        const QChar c = m_text.at(m_pos);
        if (c == QLatin1Char('=') || c == QLatin1Char('>') || c == QLatin1Char('(') || c == QLatin1Char(')')) {
            token.kind = c == QLatin1Char('=') ? Token::Equals
                : c == QLatin1Char('>')        ? Token::Greater
                : c == QLatin1Char('(')        ? Token::Open
                                               : Token::Close;
            token.text = c;
            ++m_pos;
            return token;
        }
        if (c == QLatin1Char('\'')) {
            ++m_pos;
            QString value;
            for (;;) {
                if (m_pos >= m_text.size())
                    throw FilterError(QStringLiteral("unterminated text starting at position %1").arg(token.position));
                const QChar d = m_text.at(m_pos++);
                if (d == QLatin1Char('\'')) {
                    if (m_pos < m_text.size() && m_text.at(m_pos) == QLatin1Char('\'')) {
                        value.append(d);
                        ++m_pos;
                        continue;
                    }
                    break;
                }
                value.append(d);
            }
            token.kind = Token::Text;
            token.text = value;
            return token;
        }
        if (c.isDigit() || c == QLatin1Char('-') || c == QLatin1Char('.')) {
            const qsizetype start = m_pos++;
            while (m_pos < m_text.size() && (m_text.at(m_pos).isDigit() || m_text.at(m_pos) == QLatin1Char('.')))
                ++m_pos;
            token.kind = Token::Number;
            token.text = m_text.mid(start, m_pos - start);
            return token;
        }
        if (c.isLetter() || c == QLatin1Char('_')) {
            const qsizetype start = m_pos++;
            while (
                m_pos < m_text.size() && (m_text.at(m_pos).isLetterOrNumber() || m_text.at(m_pos) == QLatin1Char('_')))
                ++m_pos;
            token.kind = Token::Identifier;
            token.text = m_text.mid(start, m_pos - start);
            return token;
        }
        throw FilterError(QStringLiteral("unexpected \"%1\" at position %2").arg(c).arg(token.position));
    }

private:
    const QString& m_text;
    qsizetype m_pos = 0;
};

// A part of the condition and how it is built: one comparison, or a chain of
// operands joined by AND or by OR. Parentheses go only where the engine needs
// them (an OR chain inside an AND chain), so the condition nests no deeper
// than the filter's own groups; the operands are appended, never re-copied, so
// a long chain costs time in proportion to its length.
struct Condition {
    enum Kind { Single, AndChain, OrChain };
    QString sql;
    Kind kind = Single;
};

class Parser {
public:
    Parser(const QString& text, const QStringList& columns)
        : m_lexer(text)
        , m_columns(columns)
    {
        advance();
    }

    QString parseAll()
    {
        const Condition condition = parseOr();
        if (m_token.kind != Token::End)
            throw FilterError(
                QStringLiteral("unexpected \"%1\" at position %2").arg(m_token.text).arg(m_token.position));
        return condition.kind == Condition::Single ? condition.sql
                                                   : QLatin1Char('(') + condition.sql + QLatin1Char(')');
    }

    QVariantList parameters;

private:
    void advance() { m_token = m_lexer.next(); }

    bool isKeyword(const char* word) const
    {
        return m_token.kind == Token::Identifier && m_token.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
    }

    Condition parseOr()
    {
        Condition chain = parseAnd();
        if (!isKeyword("OR"))
            return chain;
        // AND binds more tightly in the engine too: its chains need no parentheses here.
        while (isKeyword("OR")) {
            advance();
            chain.sql += QStringLiteral(" OR ") + parseAnd().sql;
        }
        chain.kind = Condition::OrChain;
        return chain;
    }

    Condition parseAnd()
    {
        Condition chain = parseFactor();
        if (!isKeyword("AND"))
            return chain;
        chain.sql = operandOfAnd(chain);
        while (isKeyword("AND")) {
            advance();
            chain.sql += QStringLiteral(" AND ") + operandOfAnd(parseFactor());
        }
        chain.kind = Condition::AndChain;
        return chain;
    }

    static QString operandOfAnd(const Condition& condition)
    {
        return condition.kind == Condition::OrChain ? QLatin1Char('(') + condition.sql + QLatin1Char(')')
                                                    : condition.sql;
    }

    Condition parseFactor()
    {
        if (m_token.kind == Token::Open) {
            if (++m_depth > FilterExpression::MaxNesting)
                throw FilterError(QStringLiteral("parentheses nest deeper than %1 levels at position %2")
                                      .arg(FilterExpression::MaxNesting)
                                      .arg(m_token.position));
            advance();
            Condition group = parseOr();
            if (m_token.kind != Token::Close)
                throw FilterError(QStringLiteral("missing \")\" at position %1").arg(m_token.position));
            advance();
            --m_depth;
            return group;
        }
        return Condition {parseComparison(), Condition::Single};
    }

    QString parseComparison()
    {
        if (m_token.kind != Token::Identifier || isKeyword("AND") || isKeyword("OR"))
            throw FilterError(m_token.kind == Token::End
                    ? QStringLiteral("a field name is missing at the end")
                    : QStringLiteral("a field name is expected at position %1").arg(m_token.position));
        if (++m_comparisons > FilterExpression::MaxComparisons)
            throw FilterError(QStringLiteral("more than %1 comparisons").arg(FilterExpression::MaxComparisons));
        const QString column = resolveColumn(m_token.text);
        advance();
        const Token op = m_token;
        if (op.kind != Token::Equals && op.kind != Token::Greater)
            throw FilterError(QStringLiteral("\"=\" or \">\" is expected after %1").arg(column));
        advance();
        const QString field = Sql::quoted(column);
        const QString sqlOp = op.kind == Token::Equals ? QStringLiteral("=") : QStringLiteral(">");
        QString sql;
        if (isKeyword("NULL")) {
            if (op.kind != Token::Equals)
                throw FilterError(QStringLiteral("Null can only be compared with \"=\""));
            sql = field + QStringLiteral(" IS NULL");
        } else if (isKeyword("TRUE") || isKeyword("FALSE")) {
            sql = QStringLiteral("%1 %2 %3")
                      .arg(field, sqlOp, isKeyword("TRUE") ? QStringLiteral("1") : QStringLiteral("0"));
        } else if (m_token.kind == Token::Text) {
            parameters.append(m_token.text);
            sql = QStringLiteral("%1 %2 ?").arg(field, sqlOp);
        } else if (m_token.kind == Token::Number) {
            bool ok = false;
            const qlonglong whole = m_token.text.toLongLong(&ok);
            if (ok) {
                parameters.append(whole);
            } else {
                const double real = m_token.text.toDouble(&ok);
                if (!ok)
                    throw FilterError(QStringLiteral("\"%1\" is not a number").arg(m_token.text));
                parameters.append(real);
            }
            sql = QStringLiteral("%1 %2 ?").arg(field, sqlOp);
        } else {
            throw FilterError(m_token.kind == Token::End
                    ? QStringLiteral("a value is missing after %1").arg(column)
                    : QStringLiteral("a value is expected at position %1").arg(m_token.position));
        }
        advance();
        return sql;
    }

    QString resolveColumn(const QString& name) const
    {
        for (const QString& column : m_columns) {
            if (column.compare(name, Qt::CaseInsensitive) == 0)
                return column;
        }
        throw FilterError(QStringLiteral("unknown field \"%1\"").arg(name));
    }

    Lexer m_lexer;
    const QStringList& m_columns;
    Token m_token;
    int m_depth = 0;
    int m_comparisons = 0;
};

} // namespace

FilterExpression FilterExpression::parse(const QString& text, const QStringList& columns)
{
    FilterExpression filter;
    if (text.trimmed().isEmpty())
        return filter;
    try {
        Parser parser(text, columns);
        filter.m_sql = parser.parseAll();
        filter.m_parameters = parser.parameters;
    } catch (const FilterError& error) {
        filter.m_sql = QStringLiteral("1");
        filter.m_parameters.clear();
        filter.m_error = error.message;
    }
    return filter;
}
