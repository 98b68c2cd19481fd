#pragma once

#include <QStyledItemDelegate>

// Draws the site grid's cells with the model's look, except that the
// highlighted cell keeps the highlight instead of the "submitted" silver and
// shows a rule's text colour over the highlight.
class SiteListDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // The option a cell is drawn with, starting from option (the view's own).
    QStyleOptionViewItem styledOption(const QStyleOptionViewItem& option, const QModelIndex& index) const;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};
