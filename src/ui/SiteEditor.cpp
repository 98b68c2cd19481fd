#include "SiteEditor.h"

#include "FindDialog.h"
#include "SiteEditorDelegate.h"
#include "SiteEditorModel.h"
#include "SubmissionDatabase.h"
#include "UiTranslation.h"

#include <QAction>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenuBar>
#include <QScopedValueRollback>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

// The editor's grid: the keys of a record grid (Insert adds a row, Ctrl+Delete
// deletes one, Esc drops the row's changes) and a way to take an open cell
// editor's text before a command runs.
class SiteEditorGrid : public QTableView {
public:
    SiteEditorGrid(SiteEditState& state, QWidget* parent)
        : QTableView(parent)
        , m_state(state)
    { }

    using QTableView::edit;

    // Takes the text of the open cell editor into the model and closes it.
    void commitOpenEditor()
    {
        if (state() != EditingState)
            return;
        if (QWidget* editor = indexWidget(currentIndex())) {
            commitData(editor);
            closeEditor(editor, QAbstractItemDelegate::NoHint);
        }
    }

protected:
    // Opening a cell's editor puts the row into editing, so Post and Cancel
    // are there while the user types.
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override
    {
        if (!QTableView::edit(index, trigger, event))
            return false;
        if (index.row() == m_state.currentRow())
            m_state.edit();
        return true;
    }

    void keyPressEvent(QKeyEvent* event) override
    {
        const bool ctrl = event->modifiers() & Qt::ControlModifier;
        if (event->key() == Qt::Key_Insert && !ctrl) {
            m_state.insert();
            return;
        }
        if (event->key() == Qt::Key_Delete && ctrl) {
            m_state.remove();
            return;
        }
        if (event->key() == Qt::Key_Escape && m_state.mode() != SiteEditState::Mode::Browse) {
            m_state.cancel();
            return;
        }
        if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && state() != EditingState) {
            // Enter opens the cell, as F2 does; it never reaches a default button.
            if (currentIndex().isValid())
                edit(currentIndex());
            return;
        }
        QTableView::keyPressEvent(event);
    }

private:
    SiteEditState& m_state;
};

namespace {

int columnWidth(const SiteFields::Field& field, const QFontMetrics& metrics)
{
    const int title = metrics.horizontalAdvance(field.name) + 16;
    int content = 0;
    switch (field.kind) {
    case SiteFields::Kind::Boolean:
        content = metrics.horizontalAdvance(QStringLiteral("False")) + 24;
        break;
    case SiteFields::Kind::Integer:
        content = metrics.horizontalAdvance(QStringLiteral("0000")) + 12;
        break;
    case SiteFields::Kind::Memo:
        content = metrics.averageCharWidth() * 30;
        break;
    case SiteFields::Kind::Text:
        content = metrics.averageCharWidth() * std::clamp(field.maxLength, 8, 30);
        break;
    }
    return std::max(title, content);
}

} // namespace

SiteEditor::SiteEditor(SubmissionDatabase& dm, QWidget* parent)
    : QDialog(parent)
    , m_state(dm)
{
    setObjectName(QStringLiteral("frmEditSite"));
    setWindowTitle(QStringLiteral("Edit Site"));
    setFont(QFont(QStringLiteral("Arial"), 8));
    setSizeGripEnabled(true);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    resize(760, 420);

    m_model = new SiteEditorModel(m_state, this);
    m_grid = new SiteEditorGrid(m_state, this);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setModel(m_model);
    m_grid->setItemDelegate(new SiteEditorDelegate(m_grid));
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
        | QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    m_grid->setWordWrap(false);
    m_grid->setTabKeyNavigation(true);
    QHeaderView* rows = m_grid->verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(m_grid->fontMetrics().height() + 6);
    rows->setFixedWidth(m_grid->fontMetrics().horizontalAdvance(QStringLiteral("\u25B6")) + 12);
    rows->setSectionsClickable(false);
    for (int column = 0; column < m_state.fields().count(); ++column)
        m_grid->setColumnWidth(column, columnWidth(m_state.fields().at(column), m_grid->fontMetrics()));

    m_find = new FindDialog(this);
    connect(m_find, &FindDialog::findNext, this, &SiteEditor::findNext);

    buildNavigator();
    buildMenus();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(m_menuBar);
    layout->addWidget(m_navigator);
    layout->addWidget(m_grid, 1);

    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
        [this](const QModelIndex& current) { gridRowChanged(current.isValid() ? current.row() : -1); });
    connect(&m_state, &SiteEditState::currentChanged, this, &SiteEditor::syncGridToState);
    connect(&m_state, &SiteEditState::rowsReset, this, &SiteEditor::syncGridToState);
    connect(&m_state, &SiteEditState::modeChanged, this, &SiteEditor::updateActions);
    syncGridToState();
    translateWindow(this);
}

SiteEditor::~SiteEditor()
{
    // The grid goes first: an open cell editor hands its text to the model
    // when it loses the focus, which must not reach a state already gone.
    delete m_grid;
    delete m_model;
}

void SiteEditor::buildMenus()
{
    m_menuBar = new QMenuBar(this);
    m_menuBar->setObjectName(QStringLiteral("MainMenu1"));
    QMenu* file = m_menuBar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("File1"));
    QAction* exit = file->addAction(QStringLiteral("E&xit"));
    exit->setObjectName(QStringLiteral("Exit1"));
    connect(exit, &QAction::triggered, this, &QDialog::accept);

    QMenu* edit = m_menuBar->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("Edit1"));
    QAction* find = edit->addAction(QStringLiteral("&Find"));
    find->setObjectName(QStringLiteral("Find1"));
    find->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    connect(find, &QAction::triggered, this, &SiteEditor::startFind);
    QAction* findNextAction = edit->addAction(QStringLiteral("Find &Next"));
    findNextAction->setObjectName(QStringLiteral("FindNext1"));
    findNextAction->setShortcut(QKeySequence(Qt::Key_F3));
    connect(findNextAction, &QAction::triggered, this, &SiteEditor::showFindDialog);
}

void SiteEditor::buildNavigator()
{
    m_navigator = new QToolBar(this);
    m_navigator->setObjectName(QStringLiteral("DBNavigator1"));
    m_navigator->setToolButtonStyle(Qt::ToolButtonTextOnly);
    const auto add = [this](const char* name, const QString& text, const QString& hint, auto slot) {
        QAction* action = m_navigator->addAction(text);
        action->setObjectName(QString::fromLatin1(name));
        action->setToolTip(hint);
        connect(action, &QAction::triggered, this, [this, slot] {
            commitCell();
            slot();
        });
        return action;
    };
    m_first = add("nbFirst", QStringLiteral("|<"), QStringLiteral("First record"), [this] { m_state.first(); });
    m_prior = add("nbPrior", QStringLiteral("<"), QStringLiteral("Prior record"), [this] { m_state.prior(); });
    m_next = add("nbNext", QStringLiteral(">"), QStringLiteral("Next record"), [this] { m_state.next(); });
    m_last = add("nbLast", QStringLiteral(">|"), QStringLiteral("Last record"), [this] { m_state.last(); });
    m_insert = add("nbInsert", QStringLiteral("+"), QStringLiteral("Insert record"), [this] { m_state.insert(); });
    m_delete = add("nbDelete", QStringLiteral("-"), QStringLiteral("Delete record"), [this] { m_state.remove(); });
    m_edit = add("nbEdit", QStringLiteral("Edit"), QStringLiteral("Edit record"), [this] {
        m_state.edit();
        if (m_grid->currentIndex().isValid())
            m_grid->edit(m_grid->currentIndex());
    });
    m_post = add("nbPost", QStringLiteral("Post"), QStringLiteral("Post edit"), [this] { m_state.post(); });
    m_cancel = add("nbCancel", QStringLiteral("Cancel"), QStringLiteral("Cancel edit"), [this] { m_state.cancel(); });
    m_refresh
        = add("nbRefresh", QStringLiteral("Refresh"), QStringLiteral("Refresh data"), [this] { m_state.refresh(); });
}

void SiteEditor::commitCell()
{
    m_grid->commitOpenEditor();
}

int SiteEditor::searchColumn() const
{
    const QModelIndex current = m_grid->currentIndex();
    return current.isValid() ? current.column() : 0;
}

void SiteEditor::syncGridToState()
{
    {
        QScopedValueRollback<bool> guard(m_syncing, true);
        QItemSelectionModel* selection = m_grid->selectionModel();
        const int row = m_state.currentRow();
        if (row < 0 || row >= m_model->rowCount()) {
            selection->clear();
        } else {
            const int column = std::clamp(selection->currentIndex().column(), 0, m_model->columnCount() - 1);
            const QModelIndex index = m_model->index(row, std::max(0, column));
            if (selection->currentIndex() != index || !selection->isSelected(index))
                selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
            m_grid->scrollTo(index);
        }
    }
    updateActions();
}

void SiteEditor::gridRowChanged(int row)
{
    if (m_syncing || row < 0 || row == m_state.currentRow())
        return;
    if (m_state.mode() == SiteEditState::Mode::Browse) {
        m_state.moveTo(row);
        return;
    }
    // Leaving a changed row posts it. The post may be refused with a message,
    // which is shown after the click or key that moved the grid is done; the
    // grid then returns to the row being edited.
    QTimer::singleShot(0, this, [this, row] {
        if (row >= m_state.rowCount() || !m_state.moveTo(row))
            syncGridToState();
    });
}

void SiteEditor::updateActions()
{
    const int row = m_state.currentRow();
    const int count = m_state.rowCount();
    const bool browsing = m_state.mode() == SiteEditState::Mode::Browse;
    m_first->setEnabled(row > 0);
    m_prior->setEnabled(row > 0);
    m_next->setEnabled(row >= 0 && row < count - 1);
    m_last->setEnabled(row >= 0 && row < count - 1);
    m_delete->setEnabled(row >= 0);
    m_edit->setEnabled(browsing && row >= 0);
    m_post->setEnabled(!browsing);
    m_cancel->setEnabled(!browsing);
}

void SiteEditor::startFind()
{
    commitCell();
    if (!m_state.startFind())
        return;
    showFindDialog();
}

void SiteEditor::showFindDialog()
{
    m_find->present();
}

void SiteEditor::findNext()
{
    commitCell();
    SiteSearch::Request request;
    request.column = searchColumn();
    request.text = m_find->findText();
    request.matchCase = m_find->matchCase();
    request.down = m_find->searchesDown();
    m_state.findNext(request);
}

void SiteEditor::done(int result)
{
    commitCell();
    if (!m_state.finish())
        return;
    m_find->hide();
    QDialog::done(result);
}
