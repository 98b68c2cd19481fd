#include "ReportWindow.h"

#include "FileDialogFilter.h"
#include "FileSaver.h"

#include "MessageSink.h"
#include "MessageTranslator.h"
#include "QuilletError.h"
#include "ReportTexts.h"
#include "UiTranslation.h"

#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextBlock>
#include <QTextLayout>
#include <QVBoxLayout>

namespace {

const char* const kSaveFilter = "Text files (*.txt)|*.txt|All files (*.*)|*.*";

} // namespace

ReportWindow::ReportWindow(const SubmissionDatabase& dm, QWidget* parent)
    : QDialog(parent)
    , m_dm(dm)
{
    setObjectName(QStringLiteral("frmReport"));
    setWindowTitle(QStringLiteral("Report"));

    m_reportMemo = new QPlainTextEdit(this);
    m_reportMemo->setObjectName(QStringLiteral("reportMemo"));
    m_reportMemo->setReadOnly(true);
    m_reportMemo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_reportMemo->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    m_reportMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_reportMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    m_saveButton = new QPushButton(QStringLiteral("Save to file..."), this);
    m_saveButton->setObjectName(QStringLiteral("saveButton"));
    m_saveButton->setAutoDefault(false);
    m_closeButton = new QPushButton(QStringLiteral("Close"), this);
    m_closeButton->setObjectName(QStringLiteral("closeButton"));
    m_closeButton->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_saveButton);
    buttons->addStretch(1);
    buttons->addWidget(m_closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_reportMemo, 1);
    layout->addLayout(buttons);

    // Esc closes the dialog with the "Cancel" result (QDialog::reject).
    connect(m_closeButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_saveButton, &QPushButton::clicked, this, &ReportWindow::saveReport);
    translateWindow(this);

    setMinimumSize(QSize(150, 240).expandedTo(layout->minimumSize()));
    resize(600, 450);
}

void ReportWindow::showProgressReport(const QStringList& programNames)
{
    if (buildProgressReport(programNames))
        showReport();
}

void ReportWindow::showAccountsReport()
{
    if (buildAccountsReport())
        showReport();
}

void ReportWindow::showHiddenSitesReport()
{
    if (buildHiddenSitesReport())
        showReport();
}

bool ReportWindow::buildProgressReport(const QStringList& programNames)
{
    return buildReport([&] { return ReportTexts(m_dm).progressReport(programNames); });
}

bool ReportWindow::buildAccountsReport()
{
    return buildReport([&] { return ReportTexts(m_dm).accountsReport(); });
}

bool ReportWindow::buildHiddenSitesReport()
{
    return buildReport([&] { return ReportTexts(m_dm).hiddenSitesReport(); });
}

bool ReportWindow::buildReport(const std::function<QString()>& build)
{
    QString text;
    try {
        text = build();
    } catch (const QuilletError& error) {
        MessageSink::current().showMessage(error.text());
        return false;
    }
    // The box holds lines, not line ends: CR LF and a lone CR both end a line.
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    m_reportMemo->setPlainText(text);
    m_reportMemo->moveCursor(QTextCursor::Start);
    return true;
}

void ReportWindow::showReport()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    m_closeButton->setFocus();
    exec();
}

QString ReportWindow::shownText() const
{
    static const QString lineEnd = QStringLiteral("\r\n");
    const QTextDocument* document = m_reportMemo->document();
    auto* layout = qobject_cast<QPlainTextDocumentLayout*>(document->documentLayout());
    QString text;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        const QString blockText = block.text();
        // The line end after the last line makes no line of its own.
        if (!block.next().isValid() && blockText.isEmpty())
            break;
        if (layout)
            layout->ensureBlockLayout(block);
        const QTextLayout* lines = block.layout();
        if (!lines || lines->lineCount() <= 1) {
            text += blockText + lineEnd;
            continue;
        }
        for (int i = 0; i < lines->lineCount(); ++i) {
            const QTextLine line = lines->lineAt(i);
            text += blockText.mid(line.textStart(), line.textLength()) + lineEnd;
        }
    }
    return text;
}

bool ReportWindow::saveToFile(const QString& fileName)
{
    // The accounts report holds passwords: a new file is its owner's alone.
    if (!FileSaver::save(fileName, shownText().toUtf8(), FileSaver::Access::OwnerOnly)) {
        MessageSink::current().showMessage(
            QStringLiteral("Cannot create file %1").arg(QDir::toNativeSeparators(fileName)));
        return false;
    }
    return true;
}

QFileDialog* ReportWindow::saveReportDialog()
{
    // Built when first needed: a file dialog reads and, when it goes, writes
    // Qt's own settings file in the user's folder.
    if (m_saveReportDialog)
        return m_saveReportDialog;
    m_saveReportDialog = new QFileDialog(this, translateMsg(QStringLiteral("Save Report to File")));
    m_saveReportDialog->setObjectName(QStringLiteral("saveReportDialog"));
    m_saveReportDialog->setAcceptMode(QFileDialog::AcceptSave);
    m_saveReportDialog->setFileMode(QFileDialog::AnyFile);
    m_saveReportDialog->setDefaultSuffix(QStringLiteral("txt"));
    m_saveReportDialog->setNameFilters(FileDialogFilter::nameFilters(QString::fromLatin1(kSaveFilter)));
    // An existing file is replaced without a question, as with every report save.
    m_saveReportDialog->setOption(QFileDialog::DontConfirmOverwrite);
    return m_saveReportDialog;
}

void ReportWindow::saveReport()
{
    QFileDialog* dialog = saveReportDialog();
    if (dialog->exec() != QDialog::Accepted)
        return;
    const QStringList files = dialog->selectedFiles();
    if (!files.isEmpty() && !files.first().isEmpty())
        saveToFile(files.first());
}
