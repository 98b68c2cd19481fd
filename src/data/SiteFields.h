#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <QVector>

// The columns of the Sites table as the site editor shows, searches and
// parses them: their names in the table's field order, what kind of value
// each holds, how long a text may be and what a new row starts with.
class SiteFields {
public:
    enum class Kind {
        Text,    // a text of at most maxLength characters
        Memo,    // a text of any length, possibly of several lines
        Boolean, // shown and typed as "True" or "False"
        Integer, // shown as a decimal number, typed as digits only
    };

    struct Field {
        QString name;
        Kind kind = Kind::Text;
        int maxLength = 0;     // 0: no limit
        QVariant defaultValue; // the value a new row gets when none is typed; null for none
    };

    // The Sites table's columns as they are in the file. Raises QuilletError
    // when the table cannot be read.
    static SiteFields read(const QSqlDatabase& db);

    int count() const { return static_cast<int>(m_fields.size()); }
    const Field& at(int column) const { return m_fields.at(column); }
    // Without regard to case; -1 when there is no such column.
    int indexOf(const QString& name) const;
    int siteNameColumn() const { return indexOf(QStringLiteral("SiteName")); }

    // What a cell shows: "True" or "False" for a boolean (any non-zero number
    // is true), the decimal number or the text as stored otherwise; a null
    // value shows as an empty text.
    static QString displayText(const QVariant& value, Kind kind);
    QString displayText(int column, const QVariant& value) const { return displayText(value, at(column).kind); }

    // The value to store for a typed text. Raises QuilletError, naming the
    // field, for a boolean that is not True or False, an integer that is not
    // made of digits only (or does not fit 32 bits) and a text longer than
    // the field. An empty boolean or integer gives null.
    QVariant parse(int column, const QString& text) const;

private:
    QVector<Field> m_fields;
};
