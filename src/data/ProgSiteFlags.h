#pragma once

#include <QHash>
#include <QString>

#include <optional>

// One ProgSite row: the submission state of a program at a site. A flag that
// is empty in the table is std::nullopt (shown as undecided).
struct ProgSiteRow {
    std::optional<bool> submitted;
    std::optional<bool> published;
    std::optional<bool> oldVersion;
    std::optional<bool> notApplicable;
    QString fileId;

    // The named flag ("Submitted", "Published", "OldVersion", "NotApplicable",
    // compared exactly); nullptr for any other name.
    std::optional<bool>* flag(const QString& name);
    const std::optional<bool>* flag(const QString& name) const;
};

// The ProgSite rows of the current program, keyed by site name, held in
// memory so that drawing a list of sites costs no query per row.
class ProgSiteFlags {
public:
    void clear(const QString& program);
    const QString& program() const { return m_program; }

    const ProgSiteRow* find(const QString& siteName) const;
    ProgSiteRow& row(const QString& siteName) { return m_rows[siteName]; }
    void insert(const QString& siteName, const ProgSiteRow& row) { m_rows.insert(siteName, row); }
    int count() const { return static_cast<int>(m_rows.size()); }

    // The named flag of the program at siteName; false without a row, for an
    // empty flag and for an unknown flag name.
    bool isSet(const QString& siteName, const QString& flag) const;

private:
    QString m_program;
    QHash<QString, ProgSiteRow> m_rows;
};
