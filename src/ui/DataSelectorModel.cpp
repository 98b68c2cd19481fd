#include "DataSelectorModel.h"

#include "DataSelectorRows.h"

#include <QBrush>
#include <QGuiApplication>
#include <QPalette>

DataSelectorModel::DataSelectorModel(const DataSelectorRows& rows, QObject* parent)
    : QAbstractTableModel(parent)
    , m_rows(rows)
{
    connect(&rows, &DataSelectorRows::rowsChanged, this, [this](int first, int last) {
        first = std::max(first, 0);
        last = std::min(last, rowCount() - 1);
        if (first <= last)
            Q_EMIT dataChanged(index(first, 0), index(last, ColumnCount - 1));
    });
}

int DataSelectorModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : DataSelectorRows::RowCount;
}

int DataSelectorModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant DataSelectorModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= ColumnCount)
        return QVariant();
    const bool captionColumn = index.column() == CaptionColumn;
    switch (role) {
    case Qt::DisplayRole:
        return captionColumn ? m_rows.caption(index.row()) : m_rows.value(index.row());
    case Qt::ToolTipRole:
        // Long values and captions do not fit their cells.
        return captionColumn ? m_rows.caption(index.row()) : m_rows.value(index.row());
    case Qt::BackgroundRole:
        if (captionColumn)
            return QGuiApplication::palette().brush(QPalette::Button);
        return QVariant();
    case Qt::ForegroundRole:
        if (captionColumn)
            return QGuiApplication::palette().brush(QPalette::ButtonText);
        return QVariant();
    default:
        return QVariant();
    }
}

Qt::ItemFlags DataSelectorModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (index.column() == CaptionColumn)
        return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}
