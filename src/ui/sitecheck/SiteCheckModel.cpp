#include "SiteCheckModel.h"

#include "MessageTranslator.h"

int SiteCheckModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_results.size());
}

int SiteCheckModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant SiteCheckModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_results.size())
        return {};
    const SiteCheckResult& result = m_results.at(index.row());
    if (role == KindRole)
        return static_cast<int>(result.outcome.kind);
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    switch (index.column()) {
    case SiteColumn:
        return result.siteName;
    case OutcomeColumn:
        return result.outcome.text();
    case AddressColumn:
        return result.address;
    case DetailColumn:
        return result.outcome.detail;
    default:
        return {};
    }
}

QVariant SiteCheckModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case SiteColumn:
        return translateMsg(QStringLiteral("Site"));
    case OutcomeColumn:
        return translateMsg(QStringLiteral("Outcome"));
    case AddressColumn:
        return translateMsg(QStringLiteral("Address checked"));
    case DetailColumn:
        return translateMsg(QStringLiteral("Detail"));
    default:
        return {};
    }
}

void SiteCheckModel::add(const SiteCheckResult& result)
{
    const int row = static_cast<int>(m_results.size());
    beginInsertRows(QModelIndex(), row, row);
    m_results.append(result);
    endInsertRows();
}

void SiteCheckModel::clear()
{
    beginResetModel();
    m_results.clear();
    endResetModel();
}

void SiteCheckModel::setDetail(int row, const QString& detail)
{
    if (row < 0 || row >= m_results.size())
        return;
    m_results[row].outcome.detail = detail;
    Q_EMIT dataChanged(index(row, DetailColumn), index(row, DetailColumn));
}

QStringList SiteCheckModel::siteNames(SiteCheckOutcome::Kind kind) const
{
    QStringList names;
    for (const SiteCheckResult& result : m_results) {
        if (result.outcome.kind == kind)
            names.append(result.siteName);
    }
    return names;
}

void SiteCheckFilter::setKind(std::optional<SiteCheckOutcome::Kind> kind)
{
    m_kind = kind;
    invalidateFilter();
}

bool SiteCheckFilter::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    if (!m_kind)
        return true;
    const QModelIndex index = sourceModel()->index(sourceRow, 0, sourceParent);
    return index.data(SiteCheckModel::KindRole).toInt() == static_cast<int>(*m_kind);
}
