#include "SiteEditorDelegate.h"

#include "SiteEditorModel.h"
#include "SiteFields.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace {

SiteFields::Kind kindOf(const QModelIndex& index)
{
    return static_cast<SiteFields::Kind>(index.data(SiteEditorModel::KindRole).toInt());
}

// Rating and other whole numbers: ten digits reach the largest 32-bit value.
constexpr int kIntegerLength = 10;

} // namespace

QWidget* SiteEditorDelegate::createEditor(
    QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    switch (kindOf(index)) {
    case SiteFields::Kind::Boolean: {
        auto* choice = new QComboBox(parent);
        choice->setObjectName(QStringLiteral("BooleanChoice"));
        return choice;
    }
    case SiteFields::Kind::Memo: {
        auto* memo = new QPlainTextEdit(parent);
        memo->setObjectName(QStringLiteral("MemoEditor"));
        memo->setTabChangesFocus(true);
        return memo;
    }
    case SiteFields::Kind::Integer: {
        auto* edit = new QLineEdit(parent);
        edit->setMaxLength(kIntegerLength + 2); // room for stray blanks; the post checks the digits
        edit->setFrame(false);
        return edit;
    }
    case SiteFields::Kind::Text:
        break;
    }
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
        const int maxLength = index.data(SiteEditorModel::MaxLengthRole).toInt();
        if (maxLength > 0)
            edit->setMaxLength(maxLength);
    }
    return editor;
}

void SiteEditorDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    if (auto* choice = qobject_cast<QComboBox*>(editor)) {
        const QString text = index.data(Qt::EditRole).toString();
        QStringList items {QStringLiteral("True"), QStringLiteral("False")};
        // An empty or odd stored value is offered as it is, so that leaving
        // the cell unchanged changes nothing.
        if (!items.contains(text))
            items.prepend(text);
        const QSignalBlocker blocker(choice);
        choice->clear();
        choice->addItems(items);
        choice->setCurrentText(text);
        return;
    }
    QStyledItemDelegate::setEditorData(editor, index);
}

void SiteEditorDelegate::updateEditorGeometry(
    QWidget* editor, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    if (qobject_cast<QPlainTextEdit*>(editor)) {
        // A memo opens a few lines tall below the top of its cell.
        QRect area = option.rect;
        area.setWidth(std::max(area.width(), 260));
        area.setHeight(std::max(area.height() * 5, 90));
        editor->setGeometry(area);
        return;
    }
    QStyledItemDelegate::updateEditorGeometry(editor, option, index);
}
