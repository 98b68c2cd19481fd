#include "PowerPasteMenu.h"

#include "MessageTranslation.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QStyleOptionMenuItem>

namespace {

// Room between two columns; the bar runs down its middle.
constexpr int kColumnGap = 7;

QString withoutAccelerators(const QString& caption)
{
    QString text;
    text.reserve(caption.size());
    for (int i = 0; i < caption.size(); ++i) {
        if (caption.at(i) == QLatin1Char('&') && i + 1 < caption.size())
            ++i;
        text.append(caption.at(i));
    }
    return text;
}

} // namespace

PowerPasteMenu::PowerPasteMenu(QWidget* parent)
    : QWidget(parent, Qt::Popup)
{
    setObjectName(QStringLiteral("PowerPastePopupMenu"));
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_MouseTracking);
    addFixedItem(ItemKind::Cut, "CutMenuItem", MESSAGE_NOOP(QStringLiteral("Cu&t")));
    addFixedItem(ItemKind::Copy, "CopyMenuItem", MESSAGE_NOOP(QStringLiteral("&Copy")));
    addFixedItem(ItemKind::Paste, "PasteMenuItem", MESSAGE_NOOP(QStringLiteral("&Paste")));
    addFixedItem(ItemKind::TopSeparator, "PPMTopSeparator", QString());
    addFixedItem(ItemKind::BottomSeparator, "PPMBottomSeparator", QString());
    addFixedItem(ItemKind::Username, "UsernameMenuItem", MESSAGE_NOOP(QStringLiteral("> &Username")));
    addFixedItem(ItemKind::Password, "PasswordMenuItem", MESSAGE_NOOP(QStringLiteral("> Pass&word")));
    translateFixedItems();
}

void PowerPasteMenu::translateFixedItems()
{
    for (Item& item : m_items) {
        if (!item.english.isEmpty())
            item.caption = translateMessage(item.english); // lng-keys: indirect
    }
    itemsChanged();
}

void PowerPasteMenu::addFixedItem(ItemKind kind, const char* objectName, const QString& caption)
{
    Item item;
    item.kind = kind;
    item.objectName = QString::fromLatin1(objectName);
    item.caption = caption;
    item.english = caption;
    m_items.append(item);
    itemsChanged();
}

int PowerPasteMenu::positionOf(const QString& objectName) const
{
    for (int i = 0; i < count(); ++i) {
        if (m_items.at(i).objectName == objectName)
            return i;
    }
    return -1;
}

int PowerPasteMenu::topSeparatorPosition() const
{
    return positionOf(QStringLiteral("PPMTopSeparator"));
}

int PowerPasteMenu::bottomSeparatorPosition() const
{
    return positionOf(QStringLiteral("PPMBottomSeparator"));
}

void PowerPasteMenu::clearPropertyItems()
{
    const int first = topSeparatorPosition() + 1;
    const int last = bottomSeparatorPosition();
    if (last > first)
        m_items.remove(first, last - first);
    itemsChanged();
}

int PowerPasteMenu::insertPropertyItem(const QString& caption, int catalogueIndex, bool columnBreak)
{
    Item item;
    item.kind = ItemKind::Property;
    item.caption = caption;
    item.catalogueIndex = catalogueIndex;
    item.columnBreak = columnBreak;
    const int position = bottomSeparatorPosition();
    m_items.insert(position, item);
    itemsChanged();
    return position;
}

void PowerPasteMenu::itemsChanged()
{
    m_active = -1;
    m_layoutValid = false;
    updateGeometry();
    update();
}

int PowerPasteMenu::columnOf(int position) const
{
    if (position < 0 || position >= count())
        return -1;
    int column = 0;
    for (int i = 1; i <= position; ++i) {
        if (m_items.at(i).columnBreak)
            ++column;
    }
    return column;
}

int PowerPasteMenu::columnCount() const
{
    return count() == 0 ? 0 : columnOf(count() - 1) + 1;
}

QVector<QVector<int>> PowerPasteMenu::columns() const
{
    QVector<QVector<int>> result;
    for (int i = 0; i < count(); ++i) {
        if (result.isEmpty() || (i > 0 && m_items.at(i).columnBreak))
            result.append(QVector<int>());
        result.last().append(i);
    }
    return result;
}

void PowerPasteMenu::layoutItems() const
{
    if (m_layoutValid)
        return;
    const QStyle* s = style();
    const int frame = s->pixelMetric(QStyle::PM_MenuPanelWidth, nullptr, this);
    const int hMargin = s->pixelMetric(QStyle::PM_MenuHMargin, nullptr, this) + frame;
    const int vMargin = s->pixelMetric(QStyle::PM_MenuVMargin, nullptr, this) + frame;
    const QFontMetrics metrics(font());

    // Each item's natural size, as the style sizes a menu item.
    QVector<QSize> sizes(count());
    for (int i = 0; i < count(); ++i) {
        const Item& item = m_items.at(i);
        QStyleOptionMenuItem option;
        option.initFrom(this);
        option.menuItemType = item.isSeparator() ? QStyleOptionMenuItem::Separator : QStyleOptionMenuItem::Normal;
        option.checkType = QStyleOptionMenuItem::NotCheckable;
        option.text = item.caption;
        option.font = font();
        option.maxIconWidth = 0;
        option.reservedShortcutWidth = 0;
        const QSize content = item.isSeparator()
            ? QSize(2, 2)
            : QSize(metrics.horizontalAdvance(withoutAccelerators(item.caption)), metrics.height());
        sizes[i] = s->sizeFromContents(QStyle::CT_MenuItem, &option, content, this);
    }

    m_rects = QVector<QRect>(count());
    m_barX.clear();
    const QVector<QVector<int>> cols = columns();
    int x = hMargin;
    int bottom = vMargin;
    for (int c = 0; c < cols.size(); ++c) {
        if (c > 0) {
            m_barX.append(x + kColumnGap / 2);
            x += kColumnGap;
        }
        int width = 0;
        for (int position : cols.at(c))
            width = std::max(width, sizes.at(position).width());
        int y = vMargin;
        for (int position : cols.at(c)) {
            m_rects[position] = QRect(x, y, width, sizes.at(position).height());
            y += sizes.at(position).height();
        }
        bottom = std::max(bottom, y);
        x += width;
    }
    m_size = QSize(x + hMargin, bottom + vMargin);
    m_layoutValid = true;
}

QSize PowerPasteMenu::sizeHint() const
{
    layoutItems();
    return m_size;
}

QRect PowerPasteMenu::itemRect(int position) const
{
    layoutItems();
    return position >= 0 && position < count() ? m_rects.at(position) : QRect();
}

int PowerPasteMenu::positionAt(const QPoint& point) const
{
    layoutItems();
    for (int i = 0; i < count(); ++i) {
        if (m_rects.at(i).contains(point))
            return i;
    }
    return -1;
}

void PowerPasteMenu::setActive(int position)
{
    if (position >= 0 && (position >= count() || m_items.at(position).isSeparator()))
        position = -1;
    if (position == m_active)
        return;
    m_active = position;
    update();
}

bool PowerPasteMenu::triggerItem(int position)
{
    if (position < 0 || position >= count() || m_items.at(position).isSeparator())
        return false;
    const Item item = m_items.at(position);
    // Closed first, so that the keys that paste reach the field the menu was opened over.
    if (isVisible())
        hide();
    switch (item.kind) {
    case ItemKind::Cut:
        Q_EMIT cutRequested();
        break;
    case ItemKind::Copy:
        Q_EMIT copyRequested();
        break;
    case ItemKind::Paste:
        Q_EMIT pasteRequested();
        break;
    case ItemKind::Property:
        Q_EMIT propertyChosen(item.catalogueIndex);
        break;
    case ItemKind::Username:
        Q_EMIT userNameChosen();
        break;
    case ItemKind::Password:
        Q_EMIT passwordChosen();
        break;
    case ItemKind::TopSeparator:
    case ItemKind::BottomSeparator:
        return false;
    }
    return true;
}

void PowerPasteMenu::popup(const QPoint& globalPos)
{
    layoutItems();
    resize(m_size);
    QPoint pos = globalPos;
    QScreen* screen = QGuiApplication::screenAt(globalPos);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect available = screen->availableGeometry();
        pos.setX(std::max(available.left(), std::min(pos.x(), available.right() - m_size.width() + 1)));
        pos.setY(std::max(available.top(), std::min(pos.y(), available.bottom() - m_size.height() + 1)));
    }
    move(pos);
    m_active = -1;
    show();
    raise();
    setFocus(Qt::PopupFocusReason);
}

void PowerPasteMenu::paintEvent(QPaintEvent*)
{
    layoutItems();
    QPainter painter(this);
    const QStyle* s = style();

    QStyleOptionMenuItem panel;
    panel.initFrom(this);
    panel.state = QStyle::State_None;
    panel.checkType = QStyleOptionMenuItem::NotCheckable;
    panel.maxIconWidth = 0;
    panel.reservedShortcutWidth = 0;
    panel.rect = rect();
    panel.menuItemType = QStyleOptionMenuItem::EmptyArea;
    s->drawPrimitive(QStyle::PE_PanelMenu, &panel, &painter, this);
    s->drawControl(QStyle::CE_MenuEmptyArea, &panel, &painter, this);

    for (int i = 0; i < count(); ++i) {
        const Item& item = m_items.at(i);
        QStyleOptionMenuItem option;
        option.initFrom(this);
        option.state = QStyle::State_Enabled;
        if (i == m_active)
            option.state |= QStyle::State_Selected;
        option.menuItemType = item.isSeparator() ? QStyleOptionMenuItem::Separator : QStyleOptionMenuItem::Normal;
        option.checkType = QStyleOptionMenuItem::NotCheckable;
        option.text = item.caption;
        option.font = font();
        option.maxIconWidth = 0;
        option.reservedShortcutWidth = 0;
        option.menuRect = rect();
        option.rect = m_rects.at(i);
        s->drawControl(QStyle::CE_MenuItem, &option, &painter, this);
    }

    // The bars between the columns.
    const int frame = s->pixelMetric(QStyle::PM_MenuPanelWidth, nullptr, this);
    painter.setPen(palette().color(QPalette::Mid));
    for (int x : std::as_const(m_barX))
        painter.drawLine(x, frame + 2, x, height() - frame - 3);

    QStyleOptionFrame border;
    border.initFrom(this);
    border.rect = rect();
    border.lineWidth = frame;
    border.midLineWidth = 0;
    s->drawPrimitive(QStyle::PE_FrameMenu, &border, &painter, this);
}

void PowerPasteMenu::mouseMoveEvent(QMouseEvent* event)
{
    setActive(positionAt(event->position().toPoint()));
}

void PowerPasteMenu::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const int position = positionAt(event->position().toPoint());
    if (position >= 0)
        triggerItem(position);
}

void PowerPasteMenu::leaveEvent(QEvent* event)
{
    setActive(-1);
    QWidget::leaveEvent(event);
}

void PowerPasteMenu::moveVertically(int step)
{
    if (count() == 0)
        return;
    int position = m_active;
    for (int tries = 0; tries < count(); ++tries) {
        if (position < 0)
            position = step > 0 ? 0 : count() - 1;
        else
            position = (position + step + count()) % count();
        if (!m_items.at(position).isSeparator()) {
            setActive(position);
            return;
        }
    }
}

void PowerPasteMenu::moveAcross(int step)
{
    if (m_active < 0) {
        moveVertically(1);
        return;
    }
    const QVector<QVector<int>> cols = columns();
    const int column = columnOf(m_active);
    const int target = column + step;
    if (target < 0 || target >= cols.size())
        return;
    const QVector<int>& positions = cols.at(target);
    const int row
        = std::min(static_cast<int>(cols.at(column).indexOf(m_active)), static_cast<int>(positions.size()) - 1);
    // The item at the same height, or the nearest one that is no separator.
    for (int distance = 0; distance < positions.size(); ++distance) {
        for (int candidate : {row + distance, row - distance}) {
            if (candidate >= 0 && candidate < positions.size() && !m_items.at(positions.at(candidate)).isSeparator()) {
                setActive(positions.at(candidate));
                return;
            }
        }
    }
}

QChar PowerPasteMenu::acceleratorOf(const QString& caption)
{
    for (int i = 0; i + 1 < caption.size(); ++i) {
        if (caption.at(i) != QLatin1Char('&'))
            continue;
        if (caption.at(i + 1) == QLatin1Char('&')) {
            ++i;
            continue;
        }
        return caption.at(i + 1).toLower();
    }
    return QChar();
}

bool PowerPasteMenu::selectByAccelerator(QChar key)
{
    const QChar wanted = key.toLower();
    QVector<int> matches;
    for (int i = 0; i < count(); ++i) {
        if (!m_items.at(i).isSeparator() && acceleratorOf(m_items.at(i).caption) == wanted)
            matches.append(i);
    }
    if (matches.isEmpty())
        return false;
    if (matches.size() == 1)
        return triggerItem(matches.first());
    // Several items share the key: each press moves to the next of them.
    for (int position : std::as_const(matches)) {
        if (position > m_active) {
            setActive(position);
            return true;
        }
    }
    setActive(matches.first());
    return true;
}

void PowerPasteMenu::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Down:
        moveVertically(1);
        return;
    case Qt::Key_Up:
        moveVertically(-1);
        return;
    case Qt::Key_Right:
        moveAcross(layoutDirection() == Qt::RightToLeft ? -1 : 1);
        return;
    case Qt::Key_Left:
        moveAcross(layoutDirection() == Qt::RightToLeft ? 1 : -1);
        return;
    case Qt::Key_Home:
        setActive(-1);
        moveVertically(1);
        return;
    case Qt::Key_End:
        setActive(-1);
        moveVertically(-1);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
    case Qt::Key_Select:
        if (m_active >= 0)
            triggerItem(m_active);
        return;
    case Qt::Key_Escape:
        hide();
        return;
    default:
        break;
    }
    const QString text = event->text();
    if (text.size() == 1 && text.at(0).isPrint() && !(event->modifiers() & Qt::ControlModifier)) {
        selectByAccelerator(text.at(0));
        return;
    }
    QWidget::keyPressEvent(event);
}

void PowerPasteMenu::showEvent(QShowEvent* event)
{
    Q_EMIT aboutToShow();
    QWidget::showEvent(event);
}

void PowerPasteMenu::hideEvent(QHideEvent* event)
{
    m_active = -1;
    QWidget::hideEvent(event);
    Q_EMIT aboutToHide();
}

void PowerPasteMenu::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        m_layoutValid = false;
        updateGeometry();
    }
    QWidget::changeEvent(event);
}
