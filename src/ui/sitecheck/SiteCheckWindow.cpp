#include "SiteCheckWindow.h"

#include "FileSaver.h"
#include "MessageSink.h"
#include "MessageTranslator.h"
#include "QuilletError.h"
#include "Settings.h"
#include "SiteAddressCheck.h"
#include "SiteCheckActions.h"
#include "SiteCheckModel.h"
#include "SiteCheckReport.h"
#include "SiteCheckStore.h"
#include "SubmissionDatabase.h"
#include "UiTranslation.h"
#include "WindowTranslator.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTableView>
#include <QVBoxLayout>

namespace {

// Outcomes reach the table in batches, so a long check keeps what it found.
constexpr int kSaveBatch = 50;

QPushButton* makeButton(const char* name, const QString& text, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

} // namespace

SiteCheckWindow::SiteCheckWindow(SubmissionDatabase& dm, Settings& config, bool maintainer, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_dm(dm)
    , m_config(config)
    , m_maintainer(maintainer)
{
    setObjectName(QStringLiteral("frmSiteCheck"));
    setWindowTitle(QStringLiteral("Check site addresses"));
    m_check = new SiteAddressCheck(this);
    m_model = new SiteCheckModel(this);
    m_filter = new SiteCheckFilter(this);
    m_filter->setSourceModel(m_model);
    m_filter->setSortCaseSensitivity(Qt::CaseInsensitive);

    m_progressText = new QLabel(this);
    m_progressText->setObjectName(QStringLiteral("lblProgress"));
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("ProgressBar1"));
    m_progress->setTextVisible(false);
    m_stop = makeButton("btnStop", QStringLiteral("&Stop"), this);
    m_skippedText = new QLabel(this);
    m_skippedText->setObjectName(QStringLiteral("lblSkipped"));
    m_skippedText->setWordWrap(true);

    auto* showLabel = new QLabel(QStringLiteral("Sho&w:"), this);
    showLabel->setObjectName(QStringLiteral("lblShow"));
    m_show = new QComboBox(this);
    m_show->setObjectName(QStringLiteral("cboOutcome"));
    m_show->addItem(translateMsg(QStringLiteral("All outcomes")), -1);
    for (const QString& key : SiteCheckOutcome::kindKeys()) {
        SiteCheckOutcome::Kind kind;
        SiteCheckOutcome::kindFromKey(key, kind);
        m_show->addItem(SiteCheckOutcome::kindTitle(kind), static_cast<int>(kind));
    }
    showLabel->setBuddy(m_show);

    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("grdResults"));
    m_table->setModel(m_filter);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(SiteCheckModel::SiteColumn, Qt::AscendingOrder);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setWordWrap(false);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->verticalHeader()->hide();
    m_table->setColumnWidth(SiteCheckModel::SiteColumn, 200);
    m_table->setColumnWidth(SiteCheckModel::OutcomeColumn, 260);
    m_table->setColumnWidth(SiteCheckModel::AddressColumn, 260);

    m_useNewAddress = makeButton("btnUseNewAddress", QStringLiteral("&Use new address"), this);
    m_hideGone = makeButton("btnHideGone", QStringLiteral("&Hide sites that are gone"), this);
    m_save = makeButton("btnSave", QStringLiteral("Sa&ve..."), this);
    m_close = makeButton("btnClose", QStringLiteral("&Close"), this);

    auto* progressRow = new QHBoxLayout;
    progressRow->addWidget(m_progressText);
    progressRow->addWidget(m_progress, 1);
    progressRow->addWidget(m_stop);
    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(showLabel);
    filterRow->addWidget(m_show);
    filterRow->addStretch(1);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(m_useNewAddress);
    buttonRow->addWidget(m_hideGone);
    buttonRow->addStretch(1);
    buttonRow->addWidget(m_save);
    buttonRow->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(progressRow);
    layout->addWidget(m_skippedText);
    layout->addLayout(filterRow);
    layout->addWidget(m_table, 1);
    layout->addLayout(buttonRow);
    resize(900, 520);

    connect(m_check, &SiteAddressCheck::siteChecked, this, &SiteCheckWindow::siteChecked);
    connect(m_check, &SiteAddressCheck::progressChanged, this, &SiteCheckWindow::showProgress);
    connect(m_check, &SiteAddressCheck::finished, this, &SiteCheckWindow::checkFinished);
    connect(m_stop, &QPushButton::clicked, this, &SiteCheckWindow::stop);
    connect(m_show, &QComboBox::currentIndexChanged, this, [this] {
        const int kind = m_show->currentData().toInt();
        m_filter->setKind(kind < 0 ? std::nullopt : std::optional(SiteCheckOutcome::Kind(kind)));
        updateButtons();
    });
    const auto open = [this](const QModelIndex& index) {
        if (!index.isValid())
            return;
        const SiteCheckResult& result = m_model->result(m_filter->mapToSource(index).row());
        Q_EMIT siteOpenRequested(result.siteName, result.address);
    };
    connect(m_table, &QAbstractItemView::doubleClicked, this, open);
    // Enter opens the current row's site too.
    for (const int key : {int(Qt::Key_Return), int(Qt::Key_Enter)}) {
        auto* enter = new QShortcut(QKeySequence(key), m_table, nullptr, nullptr, Qt::WidgetShortcut);
        connect(enter, &QShortcut::activated, this, [this, open] { open(m_table->currentIndex()); });
    }
    connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &SiteCheckWindow::updateButtons);
    connect(m_useNewAddress, &QPushButton::clicked, this, &SiteCheckWindow::useNewAddress);
    connect(m_hideGone, &QPushButton::clicked, this, &SiteCheckWindow::hideGoneSites);
    connect(m_save, &QPushButton::clicked, this, &SiteCheckWindow::saveAs);
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, [this] {
        if (isRunning())
            stop();
        else
            close();
    });
    auto* saveKey = new QShortcut(QKeySequence::Save, this);
    connect(saveKey, &QShortcut::activated, this, &SiteCheckWindow::saveAs);

    m_language = createWindowLanguage(this, translationPaths());
    m_language->applyLanguage(m_config);
    updateButtons();
}

SiteCheckWindow::~SiteCheckWindow()
{
    m_check->disconnect(this);
    m_check->stop();
    storeOutcomes();
}

QStringList SiteCheckWindow::translationPaths()
{
    return {QStringLiteral("frmSiteCheck.Caption"), QStringLiteral("frmSiteCheck.btnStop.Caption"),
        QStringLiteral("frmSiteCheck.lblShow.Caption"), QStringLiteral("frmSiteCheck.btnUseNewAddress.Caption"),
        QStringLiteral("frmSiteCheck.btnHideGone.Caption"), QStringLiteral("frmSiteCheck.btnSave.Caption"),
        QStringLiteral("frmSiteCheck.btnClose.Caption")};
}

void SiteCheckWindow::start()
{
    if (isRunning())
        return;
    storeOutcomes();
    m_model->clear();
    const SiteCheckPlan plan = SiteCheckPlan::fromSites(m_dm.sites());
    m_skipped = plan.skipped;
    m_skippedText->setText(m_skipped.isEmpty()
            ? QString()
            : translateMsg(QStringLiteral("%1 sites not checked (e-mail sites, or no web or file address)."))
                  .arg(m_skipped.size()));
    m_skippedText->setVisible(!m_skipped.isEmpty());
    QStringList skippedLines;
    for (const SiteCheckSkipped& site : std::as_const(m_skipped))
        skippedLines.append(site.siteName + QStringLiteral(": ") + site.reason);
    m_skippedText->setToolTip(skippedLines.join(QLatin1Char('\n')));
    showProgress(0, static_cast<int>(plan.targets.size()));
    m_stop->setEnabled(!plan.targets.isEmpty());
    if (plan.targets.isEmpty()) {
        m_progressText->setText(translateMsg(QStringLiteral("No site to check.")));
        return;
    }
    m_check->start(plan.targets);
    updateButtons();
}

void SiteCheckWindow::stop()
{
    m_check->stop();
}

bool SiteCheckWindow::isRunning() const
{
    return m_check->isRunning();
}

void SiteCheckWindow::siteChecked(const SiteCheckResult& result)
{
    m_model->add(result);
    m_unsaved.append(result);
    if (m_unsaved.size() >= kSaveBatch)
        storeOutcomes();
    updateButtons();
}

void SiteCheckWindow::showProgress(int done, int total)
{
    m_progressText->setText(translateMsg(QStringLiteral("%1 of %2 checked")).arg(done).arg(total));
    m_progress->setRange(0, std::max(1, total));
    m_progress->setValue(done);
}

void SiteCheckWindow::checkFinished(bool stopped)
{
    storeOutcomes();
    m_stop->setEnabled(false);
    if (stopped)
        m_progressText->setText(
            translateMsg(QStringLiteral("Stopped: %1 of %2 checked")).arg(m_check->done()).arg(m_check->total()));
    updateButtons();
}

void SiteCheckWindow::storeOutcomes()
{
    if (m_unsaved.isEmpty())
        return;
    const QVector<SiteCheckResult> results = std::exchange(m_unsaved, {});
    try {
        SiteCheckStore(m_dm).save(results);
        Q_EMIT outcomesStored();
    } catch (const QuilletError& error) {
        MessageSink::current().showMessage(
            translateMsg(QStringLiteral("The outcomes could not be stored: %1")).arg(error.text()));
    }
}

int SiteCheckWindow::currentRow() const
{
    const QModelIndex current = m_table->selectionModel()->currentIndex();
    return current.isValid() ? m_filter->mapToSource(current).row() : -1;
}

void SiteCheckWindow::updateButtons()
{
    const int row = currentRow();
    m_useNewAddress->setEnabled(row >= 0 && m_model->result(row).outcome.kind == SiteCheckOutcome::Kind::Moved);
    m_hideGone->setEnabled(!m_model->siteNames(SiteCheckOutcome::Kind::Gone).isEmpty());
    m_save->setEnabled(m_model->rowCount() > 0);
}

void SiteCheckWindow::useNewAddress()
{
    const int row = currentRow();
    if (row < 0)
        return;
    const SiteCheckResult result = m_model->result(row);
    try {
        SiteCheckActions(m_dm).useNewAddress(result,
            m_maintainer ? SiteCheckActions::AddressUse::ChangeAddress : SiteCheckActions::AddressUse::NoteAddress);
    } catch (const QuilletError& error) {
        MessageSink::current().showMessage(error.text());
        return;
    }
    m_model->setDetail(row,
        m_maintainer ? translateMsg(QStringLiteral("The site's address was changed to the new one."))
                     : translateMsg(QStringLiteral("The new address was added to your notes on the site.")));
    Q_EMIT sitesChanged();
}

void SiteCheckWindow::hideGoneSites()
{
    const QStringList gone = m_model->siteNames(SiteCheckOutcome::Kind::Gone);
    if (gone.isEmpty())
        return;
    if (!MessageSink::current().askYesNo(
            translateMsg(QStringLiteral("Hide the %1 sites whose check said \"Gone (404/410)\"?")).arg(gone.size()),
            windowTitle()))
        return;
    int hidden = 0;
    try {
        hidden = SiteCheckActions(m_dm).hideSites(gone);
    } catch (const QuilletError& error) {
        MessageSink::current().showMessage(error.text());
    }
    MessageSink::current().showMessage(translateMsg(QStringLiteral("%1 sites hidden.")).arg(hidden), windowTitle());
    Q_EMIT sitesChanged();
}

bool SiteCheckWindow::saveResults(const QString& fileName)
{
    QVector<SiteCheckResult> shown;
    for (int row = 0; row < m_filter->rowCount(); ++row)
        shown.append(m_model->result(m_filter->mapToSource(m_filter->index(row, 0)).row()));
    const bool csv = fileName.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive);
    const QString text = csv ? SiteCheckReport::csvText(shown) : SiteCheckReport::reportText(shown, m_skipped);
    QString error;
    if (!FileSaver::save(fileName, text.toUtf8(), FileSaver::Access::Default, &error)) {
        MessageSink::current().showMessage(
            QStringLiteral("Cannot create file %1").arg(QDir::toNativeSeparators(fileName)) + QLatin1Char(' ') + error);
        return false;
    }
    return true;
}

void SiteCheckWindow::saveAs()
{
    if (m_model->rowCount() == 0)
        return;
    QFileDialog dialog(this, translateMsg(QStringLiteral("Save the site check")));
    dialog.setObjectName(QStringLiteral("saveCheckDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(
        {translateMsg(QStringLiteral("Report (*.txt)")), translateMsg(QStringLiteral("CSV (*.csv)"))});
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
        dialog.setDefaultSuffix(
            filter.contains(QLatin1String("*.csv")) ? QStringLiteral("csv") : QStringLiteral("txt"));
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    saveResults(dialog.selectedFiles().first());
}

void SiteCheckWindow::closeEvent(QCloseEvent* event)
{
    m_check->stop();
    storeOutcomes();
    QWidget::closeEvent(event);
}
