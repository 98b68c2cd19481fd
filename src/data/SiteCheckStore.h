#pragma once

#include "SiteCheckOutcome.h"

#include <QHash>
#include <QStringList>
#include <QVector>

#include <optional>

class SubmissionDatabase;

// The last address check of every site, kept in its own table "SiteChecks"
// in the Sites file beside the site list. The table is made by the first
// save; until then every site reads as never checked. It belongs to this
// installation alone: the site list merge and the publisher work on the
// Sites table only and never read or write it.
//
// One row per site name; a later check replaces the earlier one. A site that
// is renamed or deleted keeps its row, which then matches no site.
class SiteCheckStore {
public:
    static constexpr const char* TableName = "SiteChecks";

    explicit SiteCheckStore(SubmissionDatabase& dm);

    // Stores the results in one transaction, each replacing the site's
    // earlier one. Raises QuilletError when the Sites file is not open or
    // refuses the write; nothing is then stored.
    void save(const QVector<SiteCheckResult>& results);

    // The site's last check; none when it was never checked (or the table
    // does not exist yet).
    std::optional<SiteCheckResult> last(const QString& siteName) const;

    // Every stored check, by site name.
    QHash<QString, SiteCheckResult> all() const;

    // The names of the sites whose last check said "Gone (404/410)", in name order.
    QStringList goneSiteNames() const;

    // The table exists in the Sites file.
    bool exists() const;

private:
    QVector<SiteCheckResult> read(const QString& condition, const QVariantList& params) const;

    SubmissionDatabase& m_dm;
};
