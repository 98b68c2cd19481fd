#include "DataSelector.h"

#include "DataSelectorModel.h"
#include "DataSelectorRows.h"
#include "LanguageSwitch.h"
#include "MemoText.h"
#include "PowerPasteMenu.h"
#include "PropertyCatalogue.h"
#include "QuickPasteMenu.h"
#include "Settings.h"
#include "UiTranslation.h"
#include "WindowTranslator.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

namespace {

constexpr int kDefaultItemsPerColumn = 16;

} // namespace

DataSelector::DataSelector(
    DataSelectorRows& rows, Settings& config, PowerPasteMenu& powerPaste, QuickPasteMenu& quickPaste, QWidget* parent)
    : QWidget(parent)
    , m_rows(rows)
    , m_config(config)
    , m_powerPaste(&powerPaste)
    , m_quickPaste(&quickPaste)
{
    setObjectName(QStringLiteral("frmData"));
    setWindowTitle(QStringLiteral("Data selector"));
    setFont(QFont(QStringLiteral("Arial"), 10));

    m_model = new DataSelectorModel(rows, this);
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("StringGrid1"));
    QFont gridFont(QStringLiteral("Arial"));
    gridFont.setPointSizeF(7.5);
    m_grid->setFont(gridFont);
    m_grid->setModel(m_model);
    m_grid->horizontalHeader()->hide();
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->verticalHeader()->setMinimumSectionSize(RowHeight);
    m_grid->verticalHeader()->setDefaultSectionSize(RowHeight);
    m_grid->horizontalHeader()->setMinimumSectionSize(8);
    m_grid->setColumnWidth(DataSelectorModel::CaptionColumn, CaptionColumnWidth);
    // The value column takes the rest of the grid's width.
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setShowGrid(true);
    m_grid->setWordWrap(false);
    m_grid->setTabKeyNavigation(false);
    m_grid->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_grid->viewport()->installEventFilter(this);
    // The first value cell is selected from the start, as a grid shows it, so
    // that giving the grid the focus does not overwrite the clipboard.
    m_grid->selectionModel()->setCurrentIndex(m_model->index(0, DataSelectorModel::ValueColumn),
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    // A click copies the row's value also when the row is already selected.
    connect(m_grid, &QAbstractItemView::pressed, this, [this](const QModelIndex& index) { copyRowValue(index.row()); });
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentChanged, this,
        [this](const QModelIndex& current, const QModelIndex& previous) {
            if (!current.isValid())
                return;
            if (current.column() == DataSelectorModel::CaptionColumn) {
                // The caption column cannot be selected: the value cell of the row takes its place.
                m_grid->selectionModel()->setCurrentIndex(m_model->index(current.row(), DataSelectorModel::ValueColumn),
                    QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
                return;
            }
            if (!previous.isValid() || previous.row() != current.row()
                || previous.column() == DataSelectorModel::CaptionColumn)
                copyRowValue(current.row());
        });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(3, 3, 3, 3);
    layout->addWidget(m_grid);

    m_language = createWindowLanguage(this, translationPaths());
    applyTranslation();

    m_quickPaste->setCaptionLookup([&rows](int row) { return rows.caption(row); });

    m_rows.fillCaptions();
    m_grid->setColumnWidth(DataSelectorModel::CaptionColumn, captionColumnWidth());
    m_config.loadPopUpList(*m_quickPaste);
    m_config.loadPowerPasteSettings();
    buildPowerPasteMenu();
    // Another language: the captions and the power paste items that show them.
    connect(&LanguageSwitch::instance(), &LanguageSwitch::languageChanged, this, [this] {
        m_rows.fillCaptions();
        m_grid->setColumnWidth(DataSelectorModel::CaptionColumn, captionColumnWidth());
        buildPowerPasteMenu();
        if (m_quickPaste)
            m_quickPaste->refreshCaptions();
    });
}

int DataSelector::captionColumnWidth() const
{
    const QFontMetrics metrics(m_grid->font());
    int widest = 0;
    for (int row = 0; row < DataSelectorRows::RowCount; ++row)
        widest = std::max(widest, metrics.horizontalAdvance(m_rows.caption(row)));
    const int margin = 2 * (m_grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_grid) + 1) + 4;
    return std::max(int(CaptionColumnWidth), widest + margin);
}

QSize DataSelector::sizeHint() const
{
    QSize hint = QWidget::sizeHint();
    // The captions whole and about as much again for the values.
    const int grid = 2 * m_grid->columnWidth(DataSelectorModel::CaptionColumn) + 2 * m_grid->frameWidth()
        + m_grid->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_grid);
    const QMargins margins = layout() ? layout()->contentsMargins() : QMargins();
    hint.setWidth(std::max(hint.width(), grid + margins.left() + margins.right()));
    return hint;
}

DataSelector::~DataSelector()
{
    if (m_quickPaste)
        m_quickPaste->setCaptionLookup(nullptr);
}

void DataSelector::applyTranslation()
{
    m_language->applyLanguage(m_config);
}

int DataSelector::itemsPerColumn(int setting)
{
    return setting < 1 ? kDefaultItemsPerColumn : setting;
}

void DataSelector::buildPowerPasteMenu()
{
    if (!m_powerPaste)
        return;
    const PropertyCatalogue& properties = m_config.properties();
    const int perColumn = itemsPerColumn(m_config.menuItemsPerColumn);
    int position = m_powerPaste->topSeparatorPosition();
    m_powerPaste->clearPropertyItems();
    for (int i = 0; i < PropertyCatalogue::Count; ++i) {
        if (i == PropertyCatalogue::Separator || !properties[i].inPowerPaste)
            continue;
        ++position;
        m_powerPaste->insertPropertyItem(QStringLiteral("> ") + properties[i].caption, i, position % perColumn == 0);
    }
}

bool DataSelector::addRowToQuickPaste(int row)
{
    if (!m_quickPaste || !PropertyCatalogue::isValidIndex(row) || row == PropertyCatalogue::Separator)
        return false;
    return m_quickPaste->addQuickPasteItem(row);
}

void DataSelector::copyRowValue(int row)
{
    // The selected row's value, also an empty one, becomes the clipboard's
    // text; a multi-line value without the final line break it is stored
    // with, as it goes into a page.
    QGuiApplication::clipboard()->setText(MemoText::forPage(m_rows.value(row)));
}

void DataSelector::showEvent(QShowEvent* event)
{
    m_rows.refreshData();
    QWidget::showEvent(event);
}

bool DataSelector::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_grid->viewport() && event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->modifiers() & Qt::ControlModifier) {
            // Ctrl+click selects the row as a click does (without toggling it
            // off) and adds it to the Quick Paste menu.
            const QModelIndex index = m_grid->indexAt(mouse->position().toPoint());
            if (index.isValid()) {
                m_grid->selectionModel()->setCurrentIndex(m_model->index(index.row(), DataSelectorModel::ValueColumn),
                    QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
                copyRowValue(index.row());
                addRowToQuickPaste(index.row());
            }
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

const QStringList& DataSelector::translationPaths()
{
    static const QStringList paths {QStringLiteral("frmData.Caption")};
    return paths;
}
