#pragma once

#include <QAbstractTableModel>

class DataSelectorRows;

// The data selector's grid: one row per catalogue entry, its caption in
// column 0 (a heading column that cannot be selected) and its value in
// column 1, as the data selector's rows hold them.
class DataSelectorModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { CaptionColumn = 0, ValueColumn = 1, ColumnCount = 2 };

    explicit DataSelectorModel(const DataSelectorRows& rows, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    const DataSelectorRows& m_rows;
};
