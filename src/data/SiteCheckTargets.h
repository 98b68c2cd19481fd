#pragma once

#include "SiteCheckOutcome.h"

#include <QString>
#include <QVector>

class SiteCursor;

// The address each site is checked at: its submit page, or its home page
// when it has none (the fall-back the navigation uses). Sites whose submit
// address is a mail address take submissions by e-mail and are skipped, as
// are sites without any address and addresses that are neither web (http,
// https) nor file addresses; the reason is kept for the reader.
struct SiteCheckTarget {
    QString siteName;
    QString address;
    SiteCheckField field = SiteCheckField::Home;
};

struct SiteCheckSkipped {
    QString siteName;
    QString reason;
};

struct SiteCheckPlan {
    QVector<SiteCheckTarget> targets;
    QVector<SiteCheckSkipped> skipped;

    // Every site of the cursor's rows (the filter in force), in its order.
    static SiteCheckPlan fromSites(const SiteCursor& sites);
    // One site's row; false (and the reason in skipped) when it is not checked.
    static bool targetFor(const QString& siteName, const QString& homeUrl, const QString& submitUrl,
        SiteCheckTarget& target, QString& skipped);
};
