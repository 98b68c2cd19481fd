#pragma once

#include <QPointer>
#include <QWidget>

class DataSelectorModel;
class DataSelectorRows;
class PowerPasteMenu;
class QTableView;
class QuickPasteMenu;
class Settings;
class WindowTranslator;

// The data selector: every catalogue entry's caption and value in a grid.
// Selecting a row puts its value on the clipboard; Ctrl+click adds the row to
// the Quick Paste menu. It also builds the Power Paste menu's property items.
class DataSelector : public QWidget {
    Q_OBJECT
public:
    static constexpr int HelpContext = 30;
    static constexpr int CaptionColumnWidth = 64;
    static constexpr int RowHeight = 15;

    // Fills the captions, loads the quick paste list into quickPaste, loads the
    // power paste settings and builds the Power Paste menu.
    DataSelector(DataSelectorRows& rows, Settings& config, PowerPasteMenu& powerPaste, QuickPasteMenu& quickPaste,
        QWidget* parent = nullptr);
    ~DataSelector() override;

    // Rebuilds the Power Paste menu's property items from the catalogue's
    // InPowerPaste flags, with a column break at every position (counting the
    // menu's first item as 0) that is a multiple of MenuItemsPerColumn.
    void buildPowerPasteMenu();

    // Adds the row to the Quick Paste menu unless its caption is there, dropping
    // the oldest of ten items; the separator row is never added.
    bool addRowToQuickPaste(int row);

    DataSelectorModel& model() const { return *m_model; }

    // Applies the language file of the settings' Language unless it is
    // "English"; done once at creation.
    void applyTranslation();

    // MenuItemsPerColumn as the menu builder uses it: values below 1 mean 16.
    static int itemsPerColumn(int setting);

    // The window texts a language file may translate.
    static const QStringList& translationPaths();

    // Wide enough for every caption and some of its value at the fonts in use.
    QSize sizeHint() const override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void copyRowValue(int row);
    // CaptionColumnWidth, or wider when a caption needs it at the grid's font.
    int captionColumnWidth() const;

    DataSelectorRows& m_rows;
    Settings& m_config;
    WindowTranslator* m_language = nullptr;
    // The main window owns the two menus and may be destroyed first: the
    // selector then leaves them alone.
    QPointer<PowerPasteMenu> m_powerPaste;
    QPointer<QuickPasteMenu> m_quickPaste;
    DataSelectorModel* m_model = nullptr;
    QTableView* m_grid = nullptr;
};
