#pragma once

#include <QStringList>

class QObject;
class QWidget;

// The texts a window shows, each named by the path a language file gives it:
// window name, a point, the object's name, a point, the property. Walks the
// window's widgets and actions by objectName:
//   the window's title                   -> Window.Caption
//   labels, buttons, check boxes, actions -> Caption (their text)
//   menus, group boxes                    -> Caption (their title)
//   tab pages                             -> Caption (the tab's text)
//   tool tips                             -> Hint
//   line edits' placeholders              -> placeholderText
//   item views marked with translateColumns -> Columns (the column titles)
// Windows docked inside the window (those with a translation component of
// their own), Qt's own widgets (web views, file dialogs, the standard buttons
// of a button box, the inner parts of editors and lists) and objects marked
// with keepCodeText are left out.
class WindowTexts {
public:
    explicit WindowTexts(QWidget* window);

    // Every path, in the order of the window's object tree.
    QStringList paths() const { return m_paths; }
    // The texts shown without a path: "Class "text"" for an object without a
    // name, or "Class name "text"" for a name another object of the window
    // takes first. A window is complete when this is empty.
    QStringList unnamed() const { return m_unnamed; }

    // Marks an object whose text the code sets (a value, a name, a message it
    // translates itself): it takes no path.
    static void keepCodeText(QObject* object);
    // Marks an item view whose column titles are fixed texts: they take the
    // path Window.View.Columns, the titles separated by ";".
    static void translateColumns(QObject* view);

private:
    void visit(QObject* object, bool isWindow);
    void offer(QObject* object, const char* property, const QString& text);

    QWidget* m_window;
    QStringList m_paths;
    QStringList m_unnamed;
};
