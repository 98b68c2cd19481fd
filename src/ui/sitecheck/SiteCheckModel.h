#pragma once

#include "SiteCheckOutcome.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <QVector>

#include <optional>

// The results of one site check as a table: site, outcome, address checked
// and detail, one row per site in the order the outcomes came.
class SiteCheckModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { SiteColumn, OutcomeColumn, AddressColumn, DetailColumn, ColumnCount };
    // The role under which every cell gives its row's outcome kind (as int).
    static constexpr int KindRole = Qt::UserRole + 1;

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    void add(const SiteCheckResult& result);
    void clear();
    const SiteCheckResult& result(int row) const { return m_results.at(row); }
    const QVector<SiteCheckResult>& results() const { return m_results; }
    // Replaces a row's detail (after the author acted on it).
    void setDetail(int row, const QString& detail);
    // The names of the sites whose outcome is kind.
    QStringList siteNames(SiteCheckOutcome::Kind kind) const;

private:
    QVector<SiteCheckResult> m_results;
};

// Rows of one outcome kind only, or every row.
class SiteCheckFilter : public QSortFilterProxyModel {
    Q_OBJECT
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    void setKind(std::optional<SiteCheckOutcome::Kind> kind);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    std::optional<SiteCheckOutcome::Kind> m_kind;
};
