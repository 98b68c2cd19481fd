#include "SiteCheckTargets.h"

#include "Helpers.h"
#include "MessageTranslation.h"
#include "SiteCursor.h"

#include <QUrl>

bool SiteCheckPlan::targetFor(const QString& siteName, const QString& homeUrl, const QString& submitUrl,
    SiteCheckTarget& target, QString& skipped)
{
    const QString home = homeUrl.trimmed();
    const QString submit = submitUrl.trimmed();
    target.siteName = siteName;
    target.field = submit.isEmpty() ? SiteCheckField::Home : SiteCheckField::Submit;
    target.address = submit.isEmpty() ? home : submit;
    if (target.address.isEmpty()) {
        skipped = translateMessage(QStringLiteral("no address"));
        return false;
    }
    if (isEmailAddress(target.address) && !target.address.contains(QLatin1String("://"))) {
        skipped = translateMessage(QStringLiteral("takes submissions by e-mail"));
        return false;
    }
    const QUrl url(target.address);
    const QString scheme = url.scheme().toLower();
    const bool web = (scheme == QLatin1String("http") || scheme == QLatin1String("https")) && !url.host().isEmpty();
    if (!url.isValid() || !(web || scheme == QLatin1String("file"))) {
        skipped = translateMessage(QStringLiteral("not a web or file address: %1")).arg(target.address);
        return false;
    }
    return true;
}

SiteCheckPlan SiteCheckPlan::fromSites(const SiteCursor& sites)
{
    SiteCheckPlan plan;
    const int count = sites.count();
    for (int row = 0; row < count; ++row) {
        SiteCheckTarget target;
        QString skipped;
        if (targetFor(sites.siteNameAt(row), sites.text(row, QStringLiteral("HomeUrl")),
                sites.text(row, QStringLiteral("SubmitUrl")), target, skipped))
            plan.targets.append(target);
        else
            plan.skipped.append({sites.siteNameAt(row), skipped});
    }
    return plan;
}
