#pragma once

#include <QStyledItemDelegate>

// The site editor's cell editors: a True/False choice for booleans, a
// several-line editor for memo fields, and a line edit limited to the
// field's length for the others.
class SiteEditorDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void updateEditorGeometry(
        QWidget* editor, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
