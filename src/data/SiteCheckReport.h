#pragma once

#include "SiteCheckOutcome.h"
#include "SiteCheckTargets.h"

#include <QString>
#include <QVector>

// A check's results as text: the report (CR LF line ends, like the other
// reports) and CSV (RFC 4180, CR LF, every field quoted).
namespace SiteCheckReport {

// A title, the date, a count per outcome, then one line per site
// ("Name: outcome  (address)" and an indented detail), then the skipped sites.
QString reportText(const QVector<SiteCheckResult>& results, const QVector<SiteCheckSkipped>& skipped,
    const QDateTime& when = QDateTime::currentDateTime());

// A header row "Site,Address,Field,Outcome,Status,New address,Detail,Checked"
// and one row per result. A field that a spreadsheet would take for a formula
// (it starts with =, +, -, @, a tab or a carriage return) gets a leading '.
QString csvText(const QVector<SiteCheckResult>& results);

} // namespace SiteCheckReport
