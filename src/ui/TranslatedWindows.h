#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>
#include <memory>

class DesktopStartup;
class QWidget;

// Every window that carries a translation component, with the paths a
// language file may translate in it and a way to build it. A window that gets
// a component is added here too: scripts/lng-keys.py takes the
// [Translations] keys from this list (through quillet-lng-windows) and refuses
// a window class that makes a component but is missing here; the language
// tests build every window listed and translate it.
struct TranslatedWindow {
    QString objectName; // the window's name in language files ("Form1")
    QString className;  // the class that builds it ("MainWindow")
    // The paths the window's component lists itself; its component adds a
    // path for every other text the window shows (WindowTranslator::paths()
    // of the built window).
    QStringList paths;
    // The window in a started desktop, translated as the program translates it
    // when it opens: the startup's own main window and selectors, or a new
    // window put into created (the caller owns it). nullptr when the startup
    // lacks what the window needs.
    std::function<QWidget*(DesktopStartup& startup, std::unique_ptr<QWidget>& created)> open;
};

QVector<TranslatedWindow> translatedWindows();
