#include "SiteFields.h"

#include "MessageTranslation.h"
#include "QuilletError.h"
#include "TableSchema.h"

#include <QRegularExpression>

namespace {

SiteFields::Kind kindOf(const QString& declaredType, int* maxLength)
{
    const QString type = declaredType.trimmed().toUpper();
    *maxLength = 0;
    if (type == QLatin1String("BOOLEAN"))
        return SiteFields::Kind::Boolean;
    if (type == QLatin1String("INTEGER") || type == QLatin1String("INT"))
        return SiteFields::Kind::Integer;
    static const QRegularExpression sized(QStringLiteral("^(?:VAR)?CHAR\\s*\\(\\s*(\\d+)\\s*\\)$"));
    const QRegularExpressionMatch match = sized.match(type);
    if (match.hasMatch()) {
        bool ok = false;
        const int size = match.captured(1).toInt(&ok);
        *maxLength = ok && size > 0 ? size : 0;
        return SiteFields::Kind::Text;
    }
    return SiteFields::Kind::Memo;
}

QVariant defaultOf(const QString& literal, SiteFields::Kind kind)
{
    const QString text = literal.trimmed();
    if (text.isEmpty() || text.compare(QLatin1String("NULL"), Qt::CaseInsensitive) == 0)
        return QVariant();
    if (kind == SiteFields::Kind::Boolean || kind == SiteFields::Kind::Integer) {
        bool ok = false;
        const int value = text.toInt(&ok);
        if (ok)
            return value;
        if (text.compare(QLatin1String("TRUE"), Qt::CaseInsensitive) == 0)
            return 1;
        if (text.compare(QLatin1String("FALSE"), Qt::CaseInsensitive) == 0)
            return 0;
        return QVariant();
    }
    QString unquoted = text;
    if (unquoted.size() >= 2 && unquoted.startsWith(QLatin1Char('\'')) && unquoted.endsWith(QLatin1Char('\'')))
        unquoted = unquoted.mid(1, unquoted.size() - 2).replace(QStringLiteral("''"), QStringLiteral("'"));
    return unquoted;
}

QVariant nullOf(QMetaType::Type type)
{
    return QVariant(QMetaType(type));
}

} // namespace

SiteFields SiteFields::read(const QSqlDatabase& db)
{
    const TableDef def = TableSchema::readDefinition(db, Table::Sites);
    SiteFields fields;
    for (const FieldDef& column : def.fields) {
        Field field;
        field.name = column.name;
        field.kind = kindOf(column.type, &field.maxLength);
        field.defaultValue = defaultOf(column.defaultValue, field.kind);
        fields.m_fields.append(field);
    }
    return fields;
}

int SiteFields::indexOf(const QString& name) const
{
    for (int i = 0; i < count(); ++i) {
        if (m_fields.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString SiteFields::displayText(const QVariant& value, Kind kind)
{
    if (!value.isValid() || value.isNull())
        return QString();
    if (kind == Kind::Boolean) {
        bool ok = false;
        const qlonglong number = value.toLongLong(&ok);
        if (ok)
            return number != 0 ? QStringLiteral("True") : QStringLiteral("False");
        // A boolean stored as a word by some other program.
        const QString word = value.toString().trimmed();
        if (word.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return QStringLiteral("True");
        if (word.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return QStringLiteral("False");
        return word;
    }
    return value.toString();
}

QVariant SiteFields::parse(int column, const QString& text) const
{
    const Field& field = at(column);
    switch (field.kind) {
    case Kind::Boolean: {
        const QString word = text.trimmed();
        if (word.isEmpty())
            return nullOf(QMetaType::Int);
        if (word.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return 1;
        if (word.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return 0;
        throw QuilletError(translateMessage(QStringLiteral("\"%1\" is not a valid value for %2: choose True or False."))
                               .arg(text, field.name));
    }
    case Kind::Integer: {
        const QString digits = text.trimmed();
        if (digits.isEmpty())
            return nullOf(QMetaType::Int);
        bool allDigits = true;
        for (const QChar c : digits)
            allDigits = allDigits && c >= QLatin1Char('0') && c <= QLatin1Char('9');
        bool ok = false;
        const int value = allDigits ? digits.toInt(&ok, 10) : 0;
        if (!ok) {
            throw QuilletError(translateMessage(QStringLiteral("\"%1\" is not a valid %2: type digits only, up to "
                                                               "2147483647, or leave it empty."))
                                   .arg(text, field.name));
        }
        return value;
    }
    case Kind::Text:
        if (field.maxLength > 0 && text.size() > field.maxLength) {
            throw QuilletError(
                translateMessage(QStringLiteral("%1 holds at most %2 characters; the text typed has %3."))
                    .arg(field.name)
                    .arg(field.maxLength)
                    .arg(text.size()));
        }
        return text;
    case Kind::Memo:
        break;
    }
    return text;
}
