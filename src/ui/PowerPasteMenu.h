#pragma once

#include <QPoint>
#include <QRect>
#include <QString>
#include <QVector>
#include <QWidget>

// The main window's Power Paste menu: the edit commands, one item per
// catalogue entry chosen for it, and the current site's account fields.
// Items are laid out in columns: an item marked as a column break starts a
// new column, with a bar between columns. It pops up like a menu and is run
// by mouse (left button) or keyboard: arrows (Left and Right between
// columns), Home, End, Enter or Space, Esc, and the & accelerators.
class PowerPasteMenu : public QWidget {
    Q_OBJECT
public:
    enum class ItemKind { Cut, Copy, Paste, TopSeparator, Property, BottomSeparator, Username, Password };

    struct Item {
        ItemKind kind = ItemKind::Property;
        QString objectName; // CutMenuItem, PPMTopSeparator, ...; empty for property items
        QString caption;    // with & accelerators
        QString english;    // a fixed item's own caption, which caption translates
        int catalogueIndex = -1;
        bool columnBreak = false;

        bool isSeparator() const { return kind == ItemKind::TopSeparator || kind == ItemKind::BottomSeparator; }
    };

    explicit PowerPasteMenu(QWidget* parent = nullptr);

    // The fixed items (Cut, Copy, Paste, Username, Password) take their
    // captions in the language in force.
    void translateFixedItems();

    int count() const { return static_cast<int>(m_items.size()); }
    const Item& item(int position) const { return m_items.at(position); }
    int positionOf(const QString& objectName) const;
    int topSeparatorPosition() const;
    int bottomSeparatorPosition() const;

    // Removes every item between the two separators.
    void clearPropertyItems();
    // Inserts a property item just before the bottom separator; returns its position.
    int insertPropertyItem(const QString& caption, int catalogueIndex, bool columnBreak);

    // Column layout: the column holding an item, the columns' positions in order.
    int columnOf(int position) const;
    int columnCount() const;
    QVector<QVector<int>> columns() const;

    // Where an item lies in the popup (widget coordinates), after layout.
    QRect itemRect(int position) const;

    // The highlighted item, -1 for none.
    int activePosition() const { return m_active; }

    // Closes the menu and does what choosing the item does; false for a
    // separator or a position that holds no item.
    bool triggerItem(int position);

    // Shows the menu with its top left corner at globalPos, moved as far as
    // needed to lie on the screen.
    void popup(const QPoint& globalPos);

    QSize sizeHint() const override;

Q_SIGNALS:
    void cutRequested();
    void copyRequested();
    void pasteRequested();
    void propertyChosen(int catalogueIndex);
    void userNameChosen();
    void passwordChosen();
    void aboutToShow();
    void aboutToHide();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void addFixedItem(ItemKind kind, const char* objectName, const QString& caption);
    void itemsChanged();
    void layoutItems() const;
    int positionAt(const QPoint& point) const;
    void setActive(int position);
    void moveVertically(int step);
    void moveAcross(int step);
    bool selectByAccelerator(QChar key);
    static QChar acceleratorOf(const QString& caption);

    QVector<Item> m_items;
    int m_active = -1;

    // Layout cache, computed on demand.
    mutable bool m_layoutValid = false;
    mutable QVector<QRect> m_rects;
    mutable QVector<int> m_barX;
    mutable QSize m_size;
};
