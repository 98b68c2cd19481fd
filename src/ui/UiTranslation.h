#pragma once

#include <QStringList>

class QWidget;
class WindowTranslator;

// Teaches the window translation component about widgets: the application's
// top-level windows are the windows a path may start at, and
//   Items   of a QComboBox or QListWidget replaces its list,
//   Caption of a tab page sets the page's tab text,
//   Columns of an item view sets its model's column titles,
//   Caption of an editor (line edit, spin box, combo box, text edit) is no
//           property, so a translation never overwrites what the user typed.
// Safe to call any number of times; every window with a WindowTranslator calls it.
void installWidgetTranslation();

// A window's translation component: named "Language1", owned by window, with
// its paths and the separator ";" every window uses. Besides paths it
// translates every text the window shows (WindowTexts), so a window added
// later is translated by naming its objects.
WindowTranslator* createWindowLanguage(QWidget* window, const QStringList& paths);

// Gives window its translation component (createWindowLanguage) and
// translates it as a window is translated when it opens: with the language
// in force (languageSettings), unless that is "English" or there is none.
WindowTranslator* translateWindow(QWidget* window, const QStringList& paths = {});
