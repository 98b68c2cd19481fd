#include "FileDialogFilter.h"

namespace FileDialogFilter {

QStringList nameFilters(const QString& pairs)
{
    const QStringList parts = pairs.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts.at(i).trimmed();
        if (description.endsWith(QLatin1Char(')')) && description.contains(QLatin1Char('(')))
            description = description.left(description.lastIndexOf(QLatin1Char('('))).trimmed();
        QStringList patterns;
        for (const QString& piece : parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString pattern = piece.trimmed();
            if (pattern.isEmpty())
                continue;
            if (pattern == QLatin1String("*.*"))
                patterns << QStringLiteral("*");
            else
                patterns << pattern << pattern.toLower() << pattern.toUpper();
        }
        patterns.removeDuplicates();
        if (patterns.isEmpty())
            continue;
        filters << description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters;
}

QString filterString(const QString& pairs)
{
    return nameFilters(pairs).join(QStringLiteral(";;"));
}

} // namespace FileDialogFilter
