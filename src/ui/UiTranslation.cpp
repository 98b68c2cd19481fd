#include "UiTranslation.h"

#include "MessageTranslator.h"
#include "Settings.h"
#include "WindowTexts.h"
#include "WindowTranslator.h"

#include <QAbstractItemView>

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTextEdit>

namespace {

bool isName(const QString& name, const char* expected)
{
    return name.compare(QLatin1String(expected), Qt::CaseInsensitive) == 0;
}

QString joined(const QStringList& items)
{
    return items.join(QLatin1Char('\n'));
}

TranslatableProperty comboItems(QComboBox* combo)
{
    TranslatableProperty property;
    property.kind = TranslatableProperty::Kind::StringList;
    property.read = [combo] {
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items.append(combo->itemText(i));
        return joined(items);
    };
    property.write = [combo](const QVariant& value) {
        // The box keeps what it shows: the typed text of an editable box, the
        // chosen position of a drop-down list (when the new list reaches it).
        const QString text = combo->currentText();
        const int index = combo->currentIndex();
        combo->clear();
        combo->addItems(value.toStringList());
        if (combo->isEditable())
            combo->setEditText(text);
        else
            combo->setCurrentIndex(index < combo->count() ? index : -1);
    };
    return property;
}

TranslatableProperty listItems(QListWidget* list)
{
    TranslatableProperty property;
    property.kind = TranslatableProperty::Kind::StringList;
    property.read = [list] {
        QStringList items;
        for (int i = 0; i < list->count(); ++i)
            items.append(list->item(i)->text());
        return joined(items);
    };
    property.write = [list](const QVariant& value) {
        list->clear();
        list->addItems(value.toStringList());
    };
    return property;
}

// The tab widget whose page widget is, or nullptr.
QTabWidget* tabWidgetOf(QWidget* widget)
{
    auto* stack = qobject_cast<QStackedWidget*>(widget->parentWidget());
    if (!stack)
        return nullptr;
    auto* tabs = qobject_cast<QTabWidget*>(stack->parentWidget());
    return tabs && tabs->indexOf(widget) >= 0 ? tabs : nullptr;
}

TranslatableProperty tabCaption(QTabWidget* tabs, QWidget* page)
{
    TranslatableProperty property;
    property.read = [tabs, page] { return tabs->tabText(tabs->indexOf(page)); };
    property.write = [tabs, page](const QVariant& value) {
        const int index = tabs->indexOf(page);
        if (index >= 0)
            tabs->setTabText(index, value.toString());
    };
    return property;
}

TranslatableProperty columnTitles(QAbstractItemView* view)
{
    TranslatableProperty property;
    property.kind = TranslatableProperty::Kind::StringList;
    property.read = [view] {
        QStringList titles;
        if (const QAbstractItemModel* model = view->model()) {
            for (int column = 0; column < model->columnCount(); ++column)
                titles.append(model->headerData(column, Qt::Horizontal).toString());
        }
        return joined(titles);
    };
    property.write = [view](const QVariant& value) {
        QAbstractItemModel* model = view->model();
        if (!model)
            return;
        const QStringList titles = value.toStringList();
        // A list with fewer titles leaves the further columns as they are.
        for (int column = 0; column < model->columnCount() && column < titles.size(); ++column)
            model->setHeaderData(column, Qt::Horizontal, titles.at(column));
    };
    return property;
}

bool isEditor(QObject* object)
{
    return qobject_cast<QLineEdit*>(object) || qobject_cast<QAbstractSpinBox*>(object)
        || qobject_cast<QComboBox*>(object) || qobject_cast<QTextEdit*>(object)
        || qobject_cast<QPlainTextEdit*>(object);
}

std::optional<TranslatableProperty> resolveWidgetProperty(QObject* component, const QString& name)
{
    if (isName(name, "Items")) {
        if (auto* combo = qobject_cast<QComboBox*>(component))
            return comboItems(combo);
        if (auto* list = qobject_cast<QListWidget*>(component))
            return listItems(list);
        return std::nullopt;
    }
    if (isName(name, "Columns")) {
        if (auto* view = qobject_cast<QAbstractItemView*>(component))
            return columnTitles(view);
        return std::nullopt;
    }
    if (isName(name, "Caption")) {
        if (isEditor(component))
            return TranslatableProperty {};
        if (auto* widget = qobject_cast<QWidget*>(component)) {
            if (QTabWidget* tabs = tabWidgetOf(widget))
                return tabCaption(tabs, widget);
        }
    }
    return std::nullopt;
}

} // namespace

void installWidgetTranslation()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    WindowTranslator::registerPropertyResolver(resolveWidgetProperty);
    WindowTranslator::setRootProvider([] {
        QObjectList roots;
        const QWidgetList widgets = QApplication::topLevelWidgets();
        for (QWidget* widget : widgets)
            roots.append(widget);
        return roots;
    });
}

WindowTranslator* createWindowLanguage(QWidget* window, const QStringList& paths)
{
    installWidgetTranslation();
    auto* translator = new WindowTranslator(window, paths, QStringLiteral(";"));
    // Every text the window shows has a path, named after its object.
    translator->setPathSource([window] { return WindowTexts(window).paths(); });
    return translator;
}

WindowTranslator* translateWindow(QWidget* window, const QStringList& paths)
{
    WindowTranslator* translator = createWindowLanguage(window, paths);
    if (const Settings* config = languageSettings())
        translator->applyLanguage(*config);
    return translator;
}
