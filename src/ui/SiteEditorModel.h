#pragma once

#include "SiteEditState.h"

#include <QAbstractTableModel>

// The site editor's grid over its edit state: one column per Sites field,
// titled with the field name, one row per site passing the filter (and the
// new row while one is inserted). The row indicator shows where the editor
// stands: a triangle when browsing, "I" while the row is edited, "*" for a new row.
class SiteEditorModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The role under which a cell gives its field's kind (SiteFields::Kind as int).
    static constexpr int KindRole = Qt::UserRole + 1;
    // The role under which a cell gives its field's longest text (0: no limit).
    static constexpr int MaxLengthRole = Qt::UserRole + 2;

    explicit SiteEditorModel(SiteEditState& state, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void indicatorMoved(int row);

    SiteEditState& m_state;
    int m_indicatorRow = -1;
};
