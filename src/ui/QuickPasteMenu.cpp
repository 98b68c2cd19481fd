#include "QuickPasteMenu.h"

#include "WindowTexts.h"

#include <QAction>

QuickPasteMenu::QuickPasteMenu(QWidget* parent)
    : QMenu(parent)
{
    setObjectName(QStringLiteral("SaveDataPopUp"));
}

QList<QAction*> QuickPasteMenu::items() const
{
    QList<QAction*> result;
    const QList<QAction*> all = actions();
    for (QAction* action : all) {
        if (!action->isSeparator())
            result.append(action);
    }
    return result;
}

void QuickPasteMenu::appendQuickPasteItem(int catalogueIndex)
{
    QList<QAction*> present = items();
    while (present.size() >= Settings::MaxQuickPasteItems) {
        QAction* oldest = present.takeFirst();
        removeAction(oldest);
        delete oldest;
    }
    const QString caption = m_captionLookup ? m_captionLookup(catalogueIndex) : QString();
    QAction* action = addAction(caption);
    WindowTexts::keepCodeText(action); // a caption of the data selector, in the language in force
    action->setData(catalogueIndex);
    connect(action, &QAction::triggered, this, [this, catalogueIndex] { Q_EMIT itemChosen(catalogueIndex); });
}

void QuickPasteMenu::refreshCaptions()
{
    if (!m_captionLookup)
        return;
    const QList<QAction*> present = items();
    for (QAction* action : present)
        action->setText(m_captionLookup(action->data().toInt()));
}

QVector<int> QuickPasteMenu::quickPasteItems() const
{
    QVector<int> indices;
    const QList<QAction*> present = items();
    for (const QAction* action : present)
        indices.append(action->data().toInt());
    return indices;
}

QString QuickPasteMenu::withoutAccelerators(const QString& caption)
{
    QString text;
    text.reserve(caption.size());
    for (int i = 0; i < caption.size(); ++i) {
        if (caption.at(i) == QLatin1Char('&') && i + 1 < caption.size())
            ++i;
        else if (caption.at(i) == QLatin1Char('&'))
            continue;
        text.append(caption.at(i));
    }
    return text;
}

bool QuickPasteMenu::containsCaption(const QString& caption) const
{
    const QString wanted = withoutAccelerators(caption);
    const QList<QAction*> present = items();
    for (const QAction* action : present) {
        if (withoutAccelerators(action->text()).compare(wanted, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool QuickPasteMenu::addQuickPasteItem(int catalogueIndex)
{
    const QString caption = m_captionLookup ? m_captionLookup(catalogueIndex) : QString();
    if (containsCaption(caption))
        return false;
    appendQuickPasteItem(catalogueIndex);
    return true;
}

int QuickPasteMenu::itemCount() const
{
    return static_cast<int>(items().size());
}

QStringList QuickPasteMenu::captions() const
{
    QStringList result;
    const QList<QAction*> present = items();
    for (const QAction* action : present)
        result.append(action->text());
    return result;
}

bool QuickPasteMenu::triggerItem(int n)
{
    const QList<QAction*> present = items();
    if (n < 1 || n > present.size())
        return false;
    present.at(n - 1)->trigger();
    return true;
}
