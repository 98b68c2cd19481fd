#pragma once

#include <QWebEngineView>

#include <functional>

// The embedded browser. A right-click on the page opens the menu the settings
// choose instead of the browser's own: the browser's (0), the Power Paste
// menu (1), the Quick Paste menu (2), or none (any other value). An upload
// field that a fill offered a file opens the file chooser with that file
// selected.
class BrowserView : public QWebEngineView {
    Q_OBJECT
public:
    explicit BrowserView(QWidget* parent = nullptr);

    // Which menu a right-click shows; read at every right-click.
    void setContextMenuChoice(std::function<int()> choice) { m_choice = std::move(choice); }

Q_SIGNALS:
    void powerPasteRequested(const QPoint& globalPos);
    void quickPasteRequested(const QPoint& globalPos);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    std::function<int()> m_choice;
};
