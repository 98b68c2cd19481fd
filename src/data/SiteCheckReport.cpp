#include "SiteCheckReport.h"

#include "MessageTranslation.h"
#include "UserDate.h"

#include <QMap>

namespace {

const QString kLineEnd = QStringLiteral("\r\n");

QString csvField(QString value)
{
    if (!value.isEmpty() && QStringLiteral("=+-@\t\r").contains(value.at(0)))
        value.prepend(QLatin1Char('\''));
    value.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + value + QLatin1Char('"');
}

} // namespace

QString SiteCheckReport::reportText(
    const QVector<SiteCheckResult>& results, const QVector<SiteCheckSkipped>& skipped, const QDateTime& when)
{
    QString text;
    const auto line = [&text](const QString& s = QString()) { text += s + kLineEnd; };
    line(translateMessage(QStringLiteral("Site address check")));
    line(QString(54, QLatin1Char('=')));
    line();
    line(translateMessage(QStringLiteral("Date: %1")).arg(UserDate::toText(when.date())));
    line(translateMessage(QStringLiteral("Sites checked: %1")).arg(results.size()));
    QMap<int, int> counts;
    for (const SiteCheckResult& result : results)
        ++counts[static_cast<int>(result.outcome.kind)];
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        line(QStringLiteral("%1: %2")
                 .arg(SiteCheckOutcome::kindTitle(SiteCheckOutcome::Kind(it.key())))
                 .arg(it.value()));
    line();
    for (const SiteCheckResult& result : results) {
        line(QStringLiteral("%1: %2  (%3)").arg(result.siteName, result.outcome.text(), result.address));
        if (!result.outcome.detail.isEmpty())
            line(QStringLiteral("    ") + result.outcome.detail);
    }
    if (!skipped.isEmpty()) {
        line();
        line(translateMessage(QStringLiteral("Not checked: %1")).arg(skipped.size()));
        for (const SiteCheckSkipped& site : skipped)
            line(QStringLiteral("%1: %2").arg(site.siteName, site.reason));
    }
    return text;
}

QString SiteCheckReport::csvText(const QVector<SiteCheckResult>& results)
{
    QString text = QStringLiteral("Site,Address,Field,Outcome,Status,New address,Detail,Checked") + kLineEnd;
    for (const SiteCheckResult& result : results) {
        const QStringList fields {result.siteName, result.address, result.fieldName(),
            SiteCheckOutcome::kindKey(result.outcome.kind),
            result.outcome.status > 0 ? QString::number(result.outcome.status) : QString(), result.outcome.newAddress,
            result.outcome.detail, result.checkedAt.toUTC().toString(Qt::ISODate)};
        QStringList quoted;
        for (const QString& field : fields)
            quoted.append(csvField(field));
        text += quoted.join(QLatin1Char(',')) + kLineEnd;
    }
    return text;
}
