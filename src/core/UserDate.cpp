#include "UserDate.h"

#include <QLocale>
#include <QRegularExpression>

namespace UserDate {

QString shortFormat()
{
    QString format = QLocale().dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy"))) {
        static const QRegularExpression twoDigitYear(QStringLiteral("y+"));
        format.replace(twoDigitYear, QStringLiteral("yyyy"));
    }
    return format;
}

QString toText(const QDate& date)
{
    return date.isValid() ? QLocale().toString(date, shortFormat()) : QString();
}

QDate fromText(const QString& text)
{
    return QLocale().toDate(text.trimmed(), shortFormat());
}

} // namespace UserDate
