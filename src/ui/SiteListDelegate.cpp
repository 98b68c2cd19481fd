#include "SiteListDelegate.h"

QStyleOptionViewItem SiteListDelegate::styledOption(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem styled(option);
    initStyleOption(&styled, index);
    return styled;
}

void SiteListDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (!(option->state & QStyle::State_Selected))
        return;
    option->backgroundBrush = Qt::NoBrush;
    const QVariant foreground = index.data(Qt::ForegroundRole);
    if (foreground.canConvert<QBrush>())
        option->palette.setBrush(QPalette::HighlightedText, qvariant_cast<QBrush>(foreground));
}
