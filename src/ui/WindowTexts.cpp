#include "WindowTexts.h"

#include "WindowTranslator.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAction>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QStackedWidget>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QWebEngineView>

namespace {

const char* const kCodeText = "quilletCodeText";
const char* const kColumns = "quilletTranslateColumns";

bool isCodeText(const QObject* object)
{
    return object->property(kCodeText).toBool();
}

// Parts whose insides are Qt's: their children are never the window's texts.
bool isClosedPart(const QObject* object)
{
    return qobject_cast<const QWebEngineView*>(object) || qobject_cast<const QFileDialog*>(object)
        || qobject_cast<const QMessageBox*>(object) || qobject_cast<const QAbstractSpinBox*>(object)
        || qobject_cast<const QComboBox*>(object) || qobject_cast<const QAbstractItemView*>(object)
        || qobject_cast<const QCalendarWidget*>(object) || qobject_cast<const QLineEdit*>(object)
        || qobject_cast<const QTabBar*>(object);
}

// A window docked inside another one, or a dialog it owns, carries its own translation component.
bool isOwnWindow(const QObject* object)
{
    return WindowTranslator::hasOwnComponent(object);
}

bool isStandardButton(const QAbstractButton* button)
{
    for (const QObject* up = button->parent(); up; up = up->parent()) {
        if (const auto* box = qobject_cast<const QDialogButtonBox*>(up))
            return box->standardButton(const_cast<QAbstractButton*>(button)) != QDialogButtonBox::NoButton;
    }
    return false;
}

bool isTabPage(const QWidget* widget)
{
    const auto* stack = qobject_cast<const QStackedWidget*>(widget->parentWidget());
    const auto* tabs = stack ? qobject_cast<const QTabWidget*>(stack->parentWidget()) : nullptr;
    return tabs && tabs->indexOf(const_cast<QWidget*>(widget)) >= 0;
}

QString tabText(const QWidget* page)
{
    const auto* tabs = qobject_cast<const QTabWidget*>(page->parentWidget()->parentWidget());
    return tabs->tabText(tabs->indexOf(const_cast<QWidget*>(page)));
}

// The tool tip Qt makes up for an action from its text ("&Open..." gives "Open").
QString automaticToolTip(const QString& text)
{
    QString result = text;
    result.remove(QStringLiteral("..."));
    for (qsizetype i = 0; i < result.size(); ++i) {
        if (result.at(i) == QLatin1Char('&'))
            result.remove(i, 1);
    }
    return result.trimmed();
}

QString columnTitles(const QAbstractItemView* view)
{
    const QAbstractItemModel* model = view->model();
    if (!model)
        return QString();
    QStringList titles;
    for (int column = 0; column < model->columnCount(); ++column)
        titles.append(model->headerData(column, Qt::Horizontal).toString());
    return titles.join(QLatin1Char(';'));
}

} // namespace

WindowTexts::WindowTexts(QWidget* window)
    : m_window(window)
{
    visit(window, true);
}

void WindowTexts::keepCodeText(QObject* object)
{
    object->setProperty(kCodeText, true);
}

void WindowTexts::translateColumns(QObject* view)
{
    view->setProperty(kColumns, true);
}

void WindowTexts::offer(QObject* object, const char* property, const QString& text)
{
    if (text.trimmed().isEmpty())
        return;
    const QString name = object->objectName();
    const QString shown = QStringLiteral("\"%1\"").arg(text);
    if (object == m_window) {
        m_paths.append(m_window->objectName() + QLatin1Char('.') + QLatin1String(property));
        return;
    }
    if (name.isEmpty()) {
        m_unnamed.append(QStringLiteral("%1 %2").arg(QLatin1String(object->metaObject()->className()), shown));
        return;
    }
    if (WindowTranslator::findComponent(m_window, name) != object) {
        m_unnamed.append(QStringLiteral("%1 %2 %3").arg(QLatin1String(object->metaObject()->className()), name, shown));
        return;
    }
    m_paths.append(m_window->objectName() + QLatin1Char('.') + name + QLatin1Char('.') + QLatin1String(property));
}

void WindowTexts::visit(QObject* object, bool isWindow)
{
    if (!isWindow && isOwnWindow(object))
        return;
    if (isCodeText(object))
        return;
    // Qt's own parts of a widget (a tab widget's page stack) hold no text of
    // their own, but the window's pages and controls may sit inside them.
    const bool qtPart = object->objectName().startsWith(QLatin1String("qt_"))
        || object->objectName().startsWith(QLatin1String("_q_"));
    if (qtPart) {
        if (!isClosedPart(object) && !qobject_cast<QAction*>(object)) {
            const QObjectList children = object->children();
            for (QObject* child : children)
                visit(child, false);
        }
        return;
    }

    if (auto* action = qobject_cast<QAction*>(object)) {
        // A menu's own action carries the menu's title, a tool bar's toggle its title: the menu and bar offer them.
        const auto* bar = qobject_cast<const QToolBar*>(action->parent());
        if (!action->isSeparator() && !action->menu() && !(bar && bar->toggleViewAction() == action)) {
            offer(action, "Caption", action->text());
            if (action->toolTip() != automaticToolTip(action->text()))
                offer(action, "Hint", action->toolTip());
        }
    } else if (auto* widget = qobject_cast<QWidget*>(object)) {
        if (isWindow) {
            offer(widget, "Caption", widget->windowTitle());
        } else if (isTabPage(widget)) {
            // A tab page's caption is its tab's text, whatever the page is.
            offer(widget, "Caption", tabText(widget));
        } else if (auto* menu = qobject_cast<QMenu*>(widget)) {
            offer(menu, "Caption", menu->title());
        } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
            offer(group, "Caption", group->title());
        } else if (auto* label = qobject_cast<QLabel*>(widget)) {
            offer(label, "Caption", label->text());
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            const auto* tool = qobject_cast<QToolButton*>(button);
            if (!isStandardButton(button) && !(tool && tool->defaultAction()))
                offer(button, "Caption", button->text());
        } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            offer(edit, "placeholderText", edit->placeholderText());
        } else if (auto* view = qobject_cast<QAbstractItemView*>(widget)) {
            if (view->property(kColumns).toBool())
                offer(view, "Columns", columnTitles(view));
        }
        const auto* tool = qobject_cast<const QToolButton*>(widget);
        if (!isWindow && !widget->toolTip().isEmpty() && !(tool && tool->defaultAction()))
            offer(widget, "Hint", widget->toolTip());
    }
    if (isClosedPart(object))
        return;
    const QObjectList children = object->children();
    for (QObject* child : children)
        visit(child, false);
}
