#include "SiteSelector.h"

#include "LanguageSwitch.h"
#include "MessageSink.h"
#include "MessageTranslator.h"
#include "QuilletError.h"
#include "Settings.h"
#include "SiteCheckStore.h"
#include "SiteListDelegate.h"
#include "SiteListModel.h"
#include "SiteListNote.h"
#include "SubmissionDatabase.h"
#include "UiTranslation.h"
#include "UserDate.h"
#include "WindowTexts.h"
#include "WindowTranslator.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QScrollArea>
#include <QSplitter>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// A data-aware flag box: shows the undecided state for a missing row or an
// empty flag, but a click only ever checks or clears it.
class FlagCheckBox : public QCheckBox {
public:
    FlagCheckBox(const QString& text, QWidget* parent)
        : QCheckBox(text, parent)
    {
        setTristate(true);
    }

protected:
    void nextCheckState() override { setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked); }
};

// Runs a data module call from a user action; its error reaches the user
// through the message sink and the window goes on.
template<typename Action> bool guarded(Action action)
{
    try {
        action();
        return true;
    } catch (const QuilletError& error) {
        MessageSink::current().showMessage(error.text());
    } catch (const std::exception& error) {
        MessageSink::current().showMessage(QString::fromLocal8Bit(error.what()));
    }
    return false;
}

const QString kUsername = QStringLiteral("Username");
const QString kPassword = QStringLiteral("Password");
const QString kUserNotes = QStringLiteral("UserNotes");
const QString kNotes = QStringLiteral("Notes");
const QString kFileId = QStringLiteral("FileID");

// Field sizes of the Sites and ProgSite tables.
constexpr int kAccountLength = 60;
constexpr int kDesignNameColumnWidth = 180;
constexpr int kUsualNameLength = 26; // characters of a usual site name, "Brookside Software Archive"
constexpr int kFileIdLength = 10;

QLabel* makeLabel(const QString& name, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

void setGreyBackground(QPlainTextEdit* memo)
{
    QPalette palette = memo->palette();
    palette.setColor(QPalette::Base, QColor(192, 192, 192));
    memo->setPalette(palette);
}

} // namespace

SiteSelector::SiteSelector(SubmissionDatabase& dm, Settings& config, QWidget* parent)
    : QWidget(parent)
    , m_dm(dm)
    , m_config(config)
{
    setObjectName(QStringLiteral("frmSites"));
    setWindowTitle(QStringLiteral("Site selector"));
    setFont(QFont(QStringLiteral("Arial"), 10));
    m_maintainer = QFileInfo::exists(config.programDirectory() + QStringLiteral("admin.key"));

    m_model = new SiteListModel(dm, config, this);
    m_delegate = new SiteListDelegate(this);

    buildToolBar();

    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("sitesDBGrid"));
    QFont gridFont(QStringLiteral("Arial"));
    gridFont.setPointSizeF(7.5);
    m_grid->setFont(gridFont);
    m_grid->horizontalHeader()->setFont(QFont(QStringLiteral("MS Sans Serif"), 10));
    m_grid->setModel(m_model);
    WindowTexts::translateColumns(m_grid);
    m_grid->setItemDelegate(m_delegate);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_grid->setShowGrid(true);
    m_grid->setWordWrap(false);
    m_grid->setTabKeyNavigation(false);
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    const QSize columns = columnWidths();
    m_grid->setColumnWidth(SiteListModel::SiteNameColumn, columns.width());
    m_grid->setColumnWidth(SiteListModel::HideColumn, columns.height());
    // Fixed row heights keep a list of many thousand sites quick to scroll.
    QHeaderView* rows = m_grid->verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(QFontMetrics(gridFont).height() + 4);
    rows->setFixedWidth(QFontMetrics(gridFont).horizontalAdvance(QStringLiteral("\u25B6")) + 10);
    rows->setSectionsClickable(false);
    m_grid->installEventFilter(this);
    m_grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_grid, &QWidget::customContextMenuRequested, this,
        [this](const QPoint& pos) { m_navigate->popup(m_grid->viewport()->mapToGlobal(pos)); });
    connect(m_grid, &QAbstractItemView::doubleClicked, this, &SiteSelector::homeRequested);
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
        [this](const QModelIndex& current) { gridRowChanged(current.isValid() ? current.row() : -1); });
    // With no site at all, the list's place says how to get sites.
    auto* note = new SiteListNote(dm, m_grid);

    buildPanel();

    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(m_grid);
    // The panel scrolls when the pane is short, so the list keeps its share.
    auto* panelScroll = new QScrollArea(splitter);
    panelScroll->setObjectName(QStringLiteral("PanelScroll"));
    panelScroll->setWidgetResizable(true);
    panelScroll->setFrameShape(QFrame::NoFrame);
    panelScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    panelScroll->setWidget(m_panel);
    panelScroll->setMinimumWidth(
        m_panel->minimumSizeHint().width() + panelScroll->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    splitter->addWidget(panelScroll);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    // The list gets the larger share from the start; the memos shrink to a
    // few lines rather than squeeze the list to a couple of rows.
    splitter->setSizes({300, 200});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_toolBar);
    layout->addWidget(splitter, 1);

    SiteCursor& sites = dm.sites();
    connect(&sites, &SiteCursor::currentChanged, this, &SiteSelector::cursorMoved);
    connect(&sites, &SiteCursor::rowChanged, this, &SiteSelector::cursorRowChanged);
    connect(&dm, &SubmissionDatabase::programFlagsChanged, this, &SiteSelector::refreshFlags);

    selectGridRow(sites.currentIndex());
    refreshPanel(false);

    m_language = createWindowLanguage(this, translationPaths());
    applyTranslation();
    // Another language: the grid's True and False, the site's hints and the
    // note of an empty list are made by the code, which makes them again.
    connect(&LanguageSwitch::instance(), &LanguageSwitch::languageChanged, this, [this, note] {
        m_model->languageChanged();
        m_info->setPlainText(m_model->infoText(m_dm.sites().currentIndex()));
        note->setText(SiteListNote::noteText());
    });
}

void SiteSelector::applyTranslation()
{
    m_language->applyLanguage(m_config);
}

SiteSelector::~SiteSelector()
{
    // Edits not written yet are written while the window is whole. Then its
    // own controls stop reporting to it: a field that loses the focus while
    // the window is taken down (and so reports editingFinished) must not
    // reach a window that is half destroyed.
    commitEdits();
    const QList<QObject*> parts = findChildren<QObject*>();
    for (QObject* part : parts) {
        part->disconnect(this);
        part->removeEventFilter(this);
    }
}

QStringList SiteSelector::translationPaths()
{
    QStringList paths {QStringLiteral("frmSites.Caption"), QStringLiteral("frmSites.Label1.Caption"),
        QStringLiteral("frmSites.Label2.Caption"), QStringLiteral("frmSites.Label3.Caption"),
        QStringLiteral("frmSites.dcbSubmitted.Caption"), QStringLiteral("frmSites.dcbPublished.Caption"),
        QStringLiteral("frmSites.dcbOldVer.Caption"), QStringLiteral("frmSites.ToolBar1.Caption")};
    for (int i = 1; i <= 5; ++i) {
        paths << QStringLiteral("frmSites.ToolButton%1.Hint").arg(i)
              << QStringLiteral("frmSites.ToolButton%1.Caption").arg(i);
    }
    paths << QStringLiteral("frmSites.Navigate1.Caption") << QStringLiteral("frmSites.Home1.Caption")
          << QStringLiteral("frmSites.Search1.Caption") << QStringLiteral("frmSites.Submit1.Caption")
          << QStringLiteral("frmSites.Update1.Caption");
    return paths;
}

void SiteSelector::buildToolBar()
{
    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("ToolBar1"));
    m_toolBar->setWindowTitle(QStringLiteral("Sites"));
    m_toolBar->setIconSize(QSize(16, 16));
    m_toolBar->setMovable(false);

    struct Button {
        const char* caption;
        const char* hint;
        QStyle::StandardPixmap icon;
    };
    const Button buttons[5] = {
        {"Home", "Visit site home page", QStyle::SP_DirHomeIcon},
        {"Search", "Visit site search page", QStyle::SP_FileDialogContentsView},
        {"Submit", "Visit site submit page", QStyle::SP_ArrowUp},
        {"Update", "Visit site edit page", QStyle::SP_BrowserReload},
        {"Help", "Help", QStyle::SP_MessageBoxQuestion},
    };
    for (int i = 0; i < 5; ++i) {
        auto* button = new QToolButton(m_toolBar);
        button->setObjectName(QStringLiteral("ToolButton%1").arg(i + 1));
        button->setText(QString::fromLatin1(buttons[i].caption));
        button->setToolTip(QString::fromLatin1(buttons[i].hint));
        button->setStatusTip(QString::fromLatin1(buttons[i].hint));
        button->setIcon(style()->standardIcon(buttons[i].icon));
        button->setToolButtonStyle(Qt::ToolButtonIconOnly);
        button->setAutoRaise(true);
        m_toolBar->addWidget(button);
        m_toolButtons[i] = button;
    }
    connect(m_toolButtons[0], &QToolButton::clicked, this, &SiteSelector::homeRequested);
    connect(m_toolButtons[1], &QToolButton::clicked, this, &SiteSelector::searchRequested);
    connect(m_toolButtons[2], &QToolButton::clicked, this, &SiteSelector::submitRequested);
    connect(m_toolButtons[3], &QToolButton::clicked, this, &SiteSelector::updateRequested);
    connect(m_toolButtons[4], &QToolButton::clicked, this, [this] { Q_EMIT helpRequested(HelpContext); });

    m_navigate = new QMenu(QStringLiteral("&Navigate"), this);
    m_navigate->setObjectName(QStringLiteral("Navigate1"));
    const auto addItem = [this](const char* name, const QString& caption, void (SiteSelector::*signal)()) {
        QAction* action = m_navigate->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, signal);
    };
    addItem("Home1", QStringLiteral("&Home Page"), &SiteSelector::homeRequested);
    addItem("Search1", QStringLiteral("&Search Page"), &SiteSelector::searchRequested);
    addItem("Submit1", QStringLiteral("Su&bmit Page"), &SiteSelector::submitRequested);
    addItem("Update1", QStringLiteral("&Update Page"), &SiteSelector::updateRequested);
}

void SiteSelector::buildPanel()
{
    m_panel = new QFrame(this);
    m_panel->setObjectName(QStringLiteral("Panel1"));
    m_panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto* grid = new QGridLayout(m_panel);
    grid->setContentsMargins(6, 6, 6, 6);

    m_submitted = new FlagCheckBox(QStringLiteral("Submitted"), m_panel);
    m_submitted->setObjectName(QStringLiteral("dcbSubmitted"));
    m_published = new FlagCheckBox(QStringLiteral("Published"), m_panel);
    m_published->setObjectName(QStringLiteral("dcbPublished"));
    m_oldVersion = new FlagCheckBox(QStringLiteral("Old Version"), m_panel);
    m_oldVersion->setObjectName(QStringLiteral("dcbOldVer"));
    m_notApplicable = new FlagCheckBox(QStringLiteral("Not Applicable"), m_panel);
    m_notApplicable->setObjectName(QStringLiteral("dcbNotApplicable"));
    const std::pair<QCheckBox*, QString> boxes[]
        = {{m_submitted, QStringLiteral("Submitted")}, {m_published, QStringLiteral("Published")},
            {m_oldVersion, QStringLiteral("OldVersion")}, {m_notApplicable, QStringLiteral("NotApplicable")}};
    for (const auto& [box, flag] : boxes) {
        const QString name = flag;
        QCheckBox* target = box;
        connect(box, &QCheckBox::clicked, this, [this, target, name] { flagClicked(target, name); });
    }
    grid->addWidget(m_submitted, 0, 0);
    grid->addWidget(m_published, 0, 1);
    grid->addWidget(m_oldVersion, 1, 0);
    grid->addWidget(m_notApplicable, 1, 1);

    const auto accountLabel = [this](const QString& name, const QString& text) {
        QLabel* label = makeLabel(name, text, m_panel);
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, Qt::blue);
        label->setPalette(palette);
        QFont font = label->font();
        font.setUnderline(true);
        label->setFont(font);
        label->setCursor(Qt::PointingHandCursor);
        label->installEventFilter(this);
        return label;
    };
    m_userNameLabel = accountLabel(QStringLiteral("Label1"), QStringLiteral("Username:"));
    m_userName = new QLineEdit(m_panel);
    m_userName->setObjectName(QStringLiteral("dedUsername"));
    m_passwordLabel = accountLabel(QStringLiteral("Label2"), QStringLiteral("Password:"));
    m_password = new QLineEdit(m_panel);
    m_password->setObjectName(QStringLiteral("dedPassword"));
    for (QLineEdit* edit : {m_userName, m_password}) {
        edit->setMaxLength(kAccountLength);
        edit->installEventFilter(this);
    }
    m_userNameLabel->setBuddy(m_userName);
    m_passwordLabel->setBuddy(m_password);
    grid->addWidget(m_userNameLabel, 2, 0);
    grid->addWidget(m_passwordLabel, 2, 1);
    grid->addWidget(m_userName, 3, 0);
    grid->addWidget(m_password, 3, 1);

    QLabel* fileIdLabel = makeLabel(QStringLiteral("Label4"), QStringLiteral("File ID:"), m_panel);
    m_fileId = new QLineEdit(m_panel);
    m_fileId->setObjectName(QStringLiteral("DBEdit3"));
    m_fileId->setMaxLength(kFileIdLength);
    fileIdLabel->setBuddy(m_fileId);
    QLabel* ratingLabel = makeLabel(QStringLiteral("Label5"), QStringLiteral("Rating:"), m_panel);
    m_stars = makeLabel(QStringLiteral("lblStars"), QString(), m_panel);
    WindowTexts::keepCodeText(m_stars);
    QFont starsFont = m_stars->font();
    starsFont.setPointSize(13);
    starsFont.setBold(true);
    m_stars->setFont(starsFont);
    m_stars->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(fileIdLabel, 4, 0);
    grid->addWidget(ratingLabel, 4, 1);
    grid->addWidget(m_fileId, 5, 0);
    grid->addWidget(m_stars, 5, 1);

    QLabel* notesLabel = makeLabel(QStringLiteral("Label3"), QStringLiteral("Site notes:"), m_panel);
    m_userNotes = new QPlainTextEdit(m_panel);
    m_userNotes->setObjectName(QStringLiteral("DBMemo1"));
    m_userNotes->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_userNotes->setTabChangesFocus(true);
    notesLabel->setBuddy(m_userNotes);
    grid->addWidget(notesLabel, 6, 0, 1, 2);
    grid->addWidget(m_userNotes, 7, 0, 1, 2);

    m_info = new QPlainTextEdit(m_panel);
    m_info->setObjectName(QStringLiteral("Memo1"));
    m_info->setReadOnly(true);
    m_info->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setGreyBackground(m_info);
    m_notes = new QPlainTextEdit(m_panel);
    m_notes->setObjectName(QStringLiteral("DBMemo2"));
    m_notes->setTabChangesFocus(true);
    m_notes->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    if (m_maintainer) {
        // Maintainer mode: the bare Notes field, editable, instead of the hints.
        m_info->hide();
    } else {
        setGreyBackground(m_notes);
        m_notes->setEnabled(false);
        m_notes->hide();
    }
    grid->addWidget(m_info, 8, 0, 1, 2);
    grid->addWidget(m_notes, 8, 0, 1, 2);
    for (QPlainTextEdit* memo : {m_userNotes, m_info, m_notes}) {
        memo->setMinimumHeight(memo->fontMetrics().lineSpacing() * 3);
        memo->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
    }
    grid->setRowStretch(7, 1);
    grid->setRowStretch(8, 1);

    // The site's last address check (Sites > Check site addresses...).
    m_lastCheck = makeLabel(QStringLiteral("lblLastCheck"), QString(), m_panel);
    m_lastCheck->setWordWrap(true);
    WindowTexts::keepCodeText(m_lastCheck); // the site's own check, a translated message
    m_lastCheck->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(m_lastCheck, 9, 0, 1, 2);

    for (QLineEdit* edit : {m_userName, m_password, m_fileId})
        connect(edit, &QLineEdit::editingFinished, this, &SiteSelector::commitEdits);
    for (QPlainTextEdit* memo : {m_userNotes, m_notes})
        memo->installEventFilter(this);
}

QSize SiteSelector::columnWidths() const
{
    // Each column as wide as its header at the header's font and as its
    // cells at the grid's font, bold and italic as a site may be drawn.
    const QHeaderView* header = m_grid->horizontalHeader();
    QFont cellFont = m_grid->font();
    cellFont.setBold(true);
    cellFont.setItalic(true);
    const QFontMetrics cells(cellFont);
    const int margin = 2 * (m_grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_grid) + 1) + 4;
    const int name = std::max({kDesignNameColumnWidth, header->sectionSizeHint(SiteListModel::SiteNameColumn),
        cells.averageCharWidth() * kUsualNameLength + margin});
    const int hide = std::max({header->sectionSizeHint(SiteListModel::HideColumn),
        cells.horizontalAdvance(translateMsg(QStringLiteral("False"))) + margin,
        cells.horizontalAdvance(translateMsg(QStringLiteral("True"))) + margin});
    return QSize(name, hide);
}

QSize SiteSelector::sizeHint() const
{
    QSize hint = QWidget::sizeHint();
    const QHeaderView* rows = m_grid->verticalHeader();
    const QSize columns = columnWidths();
    const int grid = qBound(rows->minimumWidth(), rows->sizeHint().width(), rows->maximumWidth()) + columns.width()
        + columns.height() + 2 * m_grid->frameWidth()
        + m_grid->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_grid);
    const QMargins margins = layout() ? layout()->contentsMargins() : QMargins();
    hint.setWidth(std::max(hint.width(), grid + margins.left() + margins.right()));
    return hint;
}

QString SiteSelector::userName() const
{
    return m_userName->text();
}

QString SiteSelector::password() const
{
    return m_password->text();
}

void SiteSelector::repaintSites()
{
    m_model->restyleAll();
    m_grid->viewport()->update();
    refreshPanel(true);
}

void SiteSelector::cursorMoved(int row)
{
    if (m_syncing)
        return;
    writeEdits(takePendingEdits());
    selectGridRow(row);
    refreshPanel(false);
}

void SiteSelector::cursorRowChanged(int row)
{
    if (!m_syncing && row == m_dm.sites().currentIndex())
        refreshPanel(true);
}

void SiteSelector::gridRowChanged(int row)
{
    if (m_syncing || row < 0)
        return;
    m_dm.sites().moveTo(row);
}

void SiteSelector::selectGridRow(int row)
{
    QScopedValueRollback<bool> guard(m_syncing, true);
    QItemSelectionModel* selection = m_grid->selectionModel();
    if (row < 0 || row >= m_model->rowCount()) {
        selection->clear();
        return;
    }
    const int column = std::max(0, selection->currentIndex().column());
    const QModelIndex index = m_model->index(row, column);
    if (selection->currentIndex() != index || !selection->isSelected(index))
        selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    m_grid->scrollTo(index);
}

void SiteSelector::refreshPanel(bool keepEdits)
{
    const SiteCursor& sites = m_dm.sites();
    const int row = sites.currentIndex();
    const bool sameSite = keepEdits && sites.currentSiteName() == m_panelSite;
    m_panelSite = sites.currentSiteName();

    const auto setLine = [sameSite](QLineEdit* edit, const QString& text) {
        if (sameSite && edit->isModified())
            return;
        edit->setText(text);
        edit->setModified(false);
    };
    const auto setMemo = [sameSite](QPlainTextEdit* memo, const QString& text) {
        if (sameSite && memo->document()->isModified())
            return;
        if (memo->toPlainText() != text)
            memo->setPlainText(text);
        memo->document()->setModified(false);
    };

    m_info->setPlainText(m_model->infoText(row));
    setMemo(m_notes, sites.text(row, kNotes));
    m_stars->setText(
        row < 0 ? QString() : SiteListModel::ratingStars(sites.value(row, QStringLiteral("Rating")).toInt()));
    setLine(m_userName, sites.text(row, kUsername));
    setLine(m_password, sites.text(row, kPassword));
    setMemo(m_userNotes, sites.text(row, kUserNotes));

    const bool hasSite = row >= 0;
    m_userName->setEnabled(hasSite);
    m_password->setEnabled(hasSite);
    m_userNotes->setEnabled(hasSite);
    if (m_maintainer)
        m_notes->setEnabled(hasSite);
    refreshFlags();
    refreshLastCheck();
}

void SiteSelector::refreshLastCheck()
{
    const QString site = m_dm.sites().currentSiteName();
    std::optional<SiteCheckResult> last;
    if (m_dm.sites().currentIndex() >= 0)
        guarded([&] { last = SiteCheckStore(m_dm).last(site); });
    m_lastCheck->setToolTip(last ? last->outcome.detail : QString());
    if (!last) {
        m_lastCheck->setText(translateMsg(QStringLiteral("Last check: never")));
        return;
    }
    m_lastCheck->setText(translateMsg(QStringLiteral("Last check: %1 (%2)"))
                             .arg(last->outcome.text(), UserDate::toText(last->checkedAt.toLocalTime().date())));
}

void SiteSelector::refreshFlags()
{
    const ProgSiteRow* row = m_dm.currentProgSiteRow();
    const std::pair<QCheckBox*, const char*> boxes[] = {{m_submitted, "Submitted"}, {m_published, "Published"},
        {m_oldVersion, "OldVersion"}, {m_notApplicable, "NotApplicable"}};
    for (const auto& [box, name] : boxes) {
        const std::optional<bool>* flag = row ? row->flag(QString::fromLatin1(name)) : nullptr;
        Qt::CheckState state = Qt::PartiallyChecked;
        if (flag && flag->has_value())
            state = **flag ? Qt::Checked : Qt::Unchecked;
        box->setCheckState(state);
    }
    if (!m_fileId->isModified())
        m_fileId->setText(row ? row->fileId : QString());

    // Without a program there is no row to create: the flags stay read-only.
    const bool editable = m_dm.sites().currentIndex() >= 0 && !m_dm.programFlags().program().isEmpty();
    for (const auto& [box, name] : boxes)
        box->setEnabled(editable);
    m_fileId->setEnabled(editable);
}

void SiteSelector::flagClicked(QCheckBox* box, const QString& flag)
{
    const bool value = box->checkState() == Qt::Checked;
    if (!guarded([&] { m_dm.setProgSiteFlag(flag, value); }))
        refreshFlags();
}

QVector<SiteSelector::PendingEdit> SiteSelector::takePendingEdits()
{
    QVector<PendingEdit> edits;
    const auto takeLine = [&edits](QLineEdit* edit, const QString& field) {
        if (!edit->isModified())
            return;
        edits.append({field, edit->text()});
        edit->setModified(false);
    };
    const auto takeMemo = [&edits](QPlainTextEdit* memo, const QString& field) {
        if (!memo->document()->isModified())
            return;
        edits.append({field, memo->toPlainText()});
        memo->document()->setModified(false);
    };
    takeLine(m_userName, kUsername);
    takeLine(m_password, kPassword);
    takeMemo(m_userNotes, kUserNotes);
    if (m_maintainer)
        takeMemo(m_notes, kNotes);
    takeLine(m_fileId, kFileId);
    return edits;
}

void SiteSelector::writeEdits(const QVector<PendingEdit>& edits)
{
    if (edits.isEmpty() || m_panelSite.isNull())
        return;
    SiteCursor& sites = m_dm.sites();
    const QString here = sites.currentSiteName();
    const bool elsewhere = here != m_panelSite;
    {
        // The edits belong to the site the panel showed; when the cursor has
        // already moved on, step back to it for the writes.
        QScopedValueRollback<bool> guard(m_syncing, true);
        if (elsewhere && !sites.locate(m_panelSite))
            return; // the site has left the list
        for (const PendingEdit& edit : edits) {
            guarded([&] {
                if (edit.field == kFileId)
                    m_dm.setProgSiteFileID(edit.value);
                else
                    m_dm.setCurrentSiteText(edit.field, edit.value);
            });
        }
        if (elsewhere)
            sites.locate(here);
    }
}

void SiteSelector::commitEdits()
{
    writeEdits(takePendingEdits());
}

void SiteSelector::hideEvent(QHideEvent* event)
{
    commitEdits();
    QWidget::hideEvent(event);
}

void SiteSelector::selectAccountText(QLineEdit* edit)
{
    edit->setFocus(Qt::MouseFocusReason);
    edit->selectAll();
}

void SiteSelector::typedInGrid(QChar character)
{
    const QChar key(static_cast<char16_t>(character.unicode() | 0x20));
    guarded([&] { m_dm.getSiteByKey(key); });
}

bool SiteSelector::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_grid && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers chord = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
        const QString text = key->text();
        if (!(key->modifiers() & chord) && text.size() == 1 && text.at(0).unicode() >= 0x20
            && text.at(0).unicode() != 0x7F) {
            typedInGrid(text.at(0));
            return true;
        }
    } else if ((watched == m_userNameLabel || watched == m_passwordLabel)
        && event->type() == QEvent::MouseButtonPress) {
        selectAccountText(watched == m_userNameLabel ? m_userName : m_password);
        return true;
    } else if ((watched == m_userName || watched == m_password) && event->type() == QEvent::MouseButtonRelease) {
        // After the edit box has placed its caret, the whole text is selected.
        auto* edit = static_cast<QLineEdit*>(watched);
        QTimer::singleShot(0, edit, [edit] { edit->selectAll(); });
    } else if ((watched == m_userNotes || watched == m_notes) && event->type() == QEvent::FocusOut) {
        commitEdits();
    }
    return QWidget::eventFilter(watched, event);
}
