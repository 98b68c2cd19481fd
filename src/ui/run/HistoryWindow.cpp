#include "HistoryWindow.h"

#include "FileSaver.h"
#include "MessageSink.h"
#include "MessageTranslation.h"
#include "QuilletError.h"
#include "Settings.h"
#include "SubmissionDatabase.h"
#include "UiTranslation.h"
#include "WindowTranslator.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QStringList kTranslationPaths {QStringLiteral("frmHistory.Caption"),
    QStringLiteral("frmHistory.lblProgram.Caption"), QStringLiteral("frmHistory.btnSaveCsv.Caption"),
    QStringLiteral("frmHistory.btnSaveReport.Caption"), QStringLiteral("frmHistory.btnClose.Caption")};

} // namespace

HistoryWindow::HistoryWindow(Settings& config, SubmissionDatabase& dm, QWidget* parent)
    : QDialog(parent)
    , m_dm(dm)
{
    setObjectName(QStringLiteral("frmHistory"));
    setWindowTitle(QStringLiteral("Submission history"));
    resize(720, 420);
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout();
    auto* label = new QLabel(QStringLiteral("&Program:"), this);
    label->setObjectName(QStringLiteral("lblProgram"));
    m_programs = new QComboBox(this);
    m_programs->setObjectName(QStringLiteral("cboProgram"));
    label->setBuddy(m_programs);
    m_programs->addItem(translateMessage(QStringLiteral("(all programs)")), QString());
    QStringList names;
    try {
        dm.loadPrograms(names);
    } catch (const QuilletError& error) {
        MessageSink::current().showMessage(error.text());
    }
    for (const QString& name : names)
        m_programs->addItem(name, name);
    const int current = m_programs->findData(dm.programFlags().program());
    m_programs->setCurrentIndex(std::max(0, current));
    top->addWidget(label);
    top->addWidget(m_programs, 1);
    layout->addLayout(top);

    m_table = new QTableWidget(this);
    m_table->setObjectName(QStringLiteral("grdHistory"));
    m_table->setColumnCount(5);
    m_table->setHorizontalHeaderLabels({translateMessage(QStringLiteral("Time (UTC)")),
        translateMessage(QStringLiteral("Program")), translateMessage(QStringLiteral("Site")),
        translateMessage(QStringLiteral("Run")), translateMessage(QStringLiteral("Outcome"))});
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSortingEnabled(true);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->verticalHeader()->hide();
    layout->addWidget(m_table, 1);

    auto* buttons = new QDialogButtonBox(this);
    auto* csv = buttons->addButton(QStringLiteral("Save as &CSV..."), QDialogButtonBox::ActionRole);
    csv->setObjectName(QStringLiteral("btnSaveCsv"));
    auto* report = buttons->addButton(QStringLiteral("Save &report..."), QDialogButtonBox::ActionRole);
    report->setObjectName(QStringLiteral("btnSaveReport"));
    auto* close = buttons->addButton(QDialogButtonBox::Close);
    close->setObjectName(QStringLiteral("btnClose"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_programs, qOverload<int>(&QComboBox::currentIndexChanged), this, &HistoryWindow::reload);
    m_chooseFile = [](QWidget* owner, const QString& filter) {
        return QFileDialog::getSaveFileName(owner, QString(), QString(), filter);
    };
    connect(csv, &QPushButton::clicked, this, [this] {
        const QString path = m_chooseFile(this, QStringLiteral("CSV (*.csv)"));
        if (!path.isEmpty())
            saveCsv(path);
    });
    connect(report, &QPushButton::clicked, this, [this] {
        const QString path = m_chooseFile(this, QStringLiteral("Text (*.txt)"));
        if (!path.isEmpty())
            saveReport(path);
    });

    m_language = createWindowLanguage(this, kTranslationPaths);
    m_language->applyLanguage(config);
    reload();
}

const QStringList& HistoryWindow::translationPaths()
{
    return kTranslationPaths;
}

QString HistoryWindow::program() const
{
    return m_programs->currentData().toString();
}

void HistoryWindow::reload()
{
    try {
        m_rows = SubmissionHistory::read(m_dm.database(), program());
    } catch (const QuilletError& error) {
        m_rows.clear();
        MessageSink::current().showMessage(error.text());
    }
    m_table->setSortingEnabled(false);
    m_table->setRowCount(static_cast<int>(m_rows.size()));
    for (int row = 0; row < m_rows.size(); ++row) {
        const HistoryEntry& entry = m_rows.at(row);
        const QStringList cells {SubmissionHistory::timeText(entry.time), entry.program, entry.site,
            HistoryEntry::kindText(entry.kind), HistoryEntry::outcomeText(entry.outcome)};
        for (int column = 0; column < cells.size(); ++column)
            m_table->setItem(row, column, new QTableWidgetItem(cells.at(column)));
    }
    m_table->setSortingEnabled(true);
    m_table->resizeColumnsToContents();
}

bool HistoryWindow::save(const QString& path, const QString& text)
{
    QString error;
    if (!FileSaver::save(path, text.toUtf8(), FileSaver::Access::Default, &error)) {
        MessageSink::current().showMessage(
            error.isEmpty() ? translateMessage(QStringLiteral("Cannot create file %1")).arg(path) : error);
        return false;
    }
    return true;
}

bool HistoryWindow::saveCsv(const QString& path)
{
    return save(path, SubmissionHistory::toCsv(m_rows));
}

bool HistoryWindow::saveReport(const QString& path)
{
    return save(path, SubmissionHistory::toReport(m_rows, program()));
}
