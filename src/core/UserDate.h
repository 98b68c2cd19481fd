#pragma once

#include <QDate>
#include <QString>

// Program dates are held as text in the user's short date format. A format
// with a two-digit year is widened to four digits, so no date is lost.
namespace UserDate {

QString shortFormat();
QString toText(const QDate& date);
// An invalid date for a text that is not a date in the short format.
QDate fromText(const QString& text);

} // namespace UserDate
