#include "DataFixture.h"
#include "ReportTexts.h"
#include "ReportWindow.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <QTimer>
#include <sys/stat.h>

namespace {

QString longNote()
{
    QStringList words;
    for (int i = 1; i <= 60; ++i)
        words << QStringLiteral("word%1").arg(i, 2, 10, QLatin1Char('0'));
    return words.join(' ');
}

// Runs check on the next modal window once the event loop shows it.
void whenModal(std::function<void(QWidget*)> check)
{
    QTimer::singleShot(0, [check] {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        check(modal);
    });
}

} // namespace

class TestReportWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void windowLayout();
    void reportShownAsBuilt();
    void savedBytesEqualTheReport();
    void wrappedLinesSavedAsShown();
    void saveFailureIsReportedAndTheWindowStays();
    void databaseErrorShowsNoWindow();
    void showRunsModallyAndEscCloses();
    void saveButtonAsksForAFileName();

private:
    std::unique_ptr<DataFixture> m_data;
    std::unique_ptr<ReportWindow> m_window;

    QPlainTextEdit* memo() const { return m_window->findChild<QPlainTextEdit*>("reportMemo"); }
};

void TestReportWindow::init()
{
    m_data = std::make_unique<DataFixture>();
    m_data->open();
    m_data->addSite("Alpha", {{"HomeUrl", "http://alpha.example/"}, {"Username", "me"}, {"Password", "secret"}});
    m_data->addSite("Beta", {{"HomeUrl", "https://beta.example/"}, {"Dead", 1}, {"UserNotes", "line one\r\nline two"}});
    m_data->addSite("Gamma", {{"HomeUrl", "gamma.example"}, {"Hide", 1}});
    m_data->addSite("Delta", {{"HomeUrl", "delta.example"}});
    m_data->addFlags("Editor Pro", "Alpha", {{"Submitted", 1}, {"Published", 1}});
    m_data->addFlags("Editor Pro", "Beta", {{"Submitted", 1}, {"NotApplicable", 0}});
    m_window = std::make_unique<ReportWindow>(m_data->dm());
}

void TestReportWindow::cleanup()
{
    m_window.reset();
    m_data.reset();
}

void TestReportWindow::windowLayout()
{
    QCOMPARE(m_window->windowTitle(), QString("Report"));
    QVERIFY(memo());
    QVERIFY(memo()->isReadOnly());
    QCOMPARE(memo()->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    auto* save = m_window->findChild<QPushButton*>("saveButton");
    auto* close = m_window->findChild<QPushButton*>("closeButton");
    QVERIFY(save && close);
    QCOMPARE(save->text(), QString("Save to file..."));
    QCOMPARE(close->text(), QString("Close"));
    QVERIFY(m_window->minimumWidth() >= 150);
    QVERIFY(m_window->minimumHeight() >= 240);
    // The save dialog is built when first needed, not with the window: a
    // file dialog writes Qt's settings file in the user's folder.
    QVERIFY(!m_window->findChild<QFileDialog*>());
    QFileDialog* dialog = m_window->saveReportDialog();
    QCOMPARE(m_window->findChild<QFileDialog*>("saveReportDialog"), dialog);
    QCOMPARE(m_window->saveReportDialog(), dialog);
    QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
    QCOMPARE(dialog->defaultSuffix(), QString("txt"));
    QVERIFY(dialog->testOption(QFileDialog::DontConfirmOverwrite));
}

void TestReportWindow::reportShownAsBuilt()
{
    RecordingMessageSink sink;
    const ReportTexts texts(m_data->dm());

    QVERIFY(m_window->buildProgressReport({"Editor Pro", "Nothing Yet"}));
    QString expected = texts.progressReport({"Editor Pro", "Nothing Yet"});
    QCOMPARE(memo()->toPlainText(), expected.replace("\r\n", "\n"));
    QVERIFY(memo()->toPlainText().contains("Number of sites submitted to: 2  ( 50.00% )"));

    // Each report replaces the last one.
    QVERIFY(m_window->buildAccountsReport());
    expected = texts.accountsReport();
    QCOMPARE(memo()->toPlainText(), expected.replace("\r\n", "\n"));
    QVERIFY(memo()->toPlainText().contains("line one\nline two"));

    QVERIFY(m_window->buildHiddenSitesReport());
    expected = texts.hiddenSitesReport();
    QCOMPARE(memo()->toPlainText(), expected.replace("\r\n", "\n"));
    QVERIFY(sink.messages.isEmpty());
    QVERIFY(!m_window->isVisible());
}

void TestReportWindow::savedBytesEqualTheReport()
{
    m_window->resize(1000, 600);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    const ReportTexts texts(m_data->dm());

    QVERIFY(m_window->buildAccountsReport());
    m_data->dir.writeFile("accounts.txt", "an older report that is longer than the new one, to be replaced whole");
    QVERIFY(m_window->saveToFile(m_data->dir.file("accounts.txt")));
    QCOMPARE(m_data->dir.readFile("accounts.txt"), texts.accountsReport().toUtf8());

    QVERIFY(m_window->buildProgressReport({"Editor Pro"}));
    const mode_t savedMask = ::umask(022);
    QVERIFY(m_window->saveToFile(m_data->dir.file("progress.txt")));
    ::umask(savedMask);
    // A new report is its owner's alone (the accounts report holds passwords);
    // the replaced one kept its mode.
    QCOMPARE(QFileInfo(m_data->dir.file("progress.txt")).permissions() & 0x0077, QFileDevice::Permissions());
    QVERIFY(QFileInfo(m_data->dir.file("accounts.txt")).permissions() & QFileDevice::ReadOther);
    QCOMPARE(m_data->dir.readFile("progress.txt"), texts.progressReport({"Editor Pro"}).toUtf8());
    // Tabs and the trailing blanks of "NOTES:     " survive as they are.
    QVERIFY(m_data->dir.readFile("progress.txt").contains("\r\n\tNumber of sites published to: 1  ( 25.00% )\r\n"));
}

void TestReportWindow::wrappedLinesSavedAsShown()
{
    const QString note = longNote();
    m_data->addSite("Epsilon", {{"HomeUrl", "epsilon.example"}, {"UserNotes", note}});
    m_window->resize(320, 400);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QVERIFY(m_window->buildAccountsReport());
    QVERIFY(m_window->saveToFile(m_data->dir.file("wrapped.txt")));

    const QByteArray bytes = m_data->dir.readFile("wrapped.txt");
    QVERIFY(bytes.endsWith("\r\n"));
    const QStringList lines = QString::fromUtf8(bytes).split("\r\n");
    // No bare LF or CR anywhere: every line ends in CR LF.
    for (const QString& line : lines)
        QVERIFY(!line.contains('\n') && !line.contains('\r'));

    // The note comes back in pieces that each fit the box and together give the note.
    const int start = lines.indexOf("SITE:      epsilon.example");
    QVERIFY(start >= 0);
    QCOMPARE(lines.at(start + 3), QString("NOTES:     "));
    QCOMPARE(lines.at(start + 4), QString());
    QStringList pieces;
    for (int i = start + 5; !lines.at(i).isEmpty(); ++i)
        pieces << lines.at(i);
    QVERIFY2(pieces.size() >= 3, qPrintable(pieces.join('|')));
    QCOMPARE(pieces.join(QString()), note);
    const QFontMetrics metrics(memo()->font());
    for (const QString& piece : std::as_const(pieces))
        QVERIFY(metrics.horizontalAdvance(piece.trimmed()) <= memo()->viewport()->width());

    // A wider window writes the note on one line again.
    m_window->resize(3000, 400);
    QVERIFY(m_window->saveToFile(m_data->dir.file("wide.txt")));
    QVERIFY(m_data->dir.readFile("wide.txt").contains(("\r\n" + note + "\r\n").toUtf8()));
}

void TestReportWindow::saveFailureIsReportedAndTheWindowStays()
{
    RecordingMessageSink sink;
    m_window->show();
    QVERIFY(m_window->buildHiddenSitesReport());
    const QString target = m_data->dir.file("no such folder/report.txt");
    QVERIFY(!m_window->saveToFile(target));
    QCOMPARE(sink.texts(), QStringList {"Cannot create file " + target});
    QVERIFY(m_window->isVisible());
    QVERIFY(!QFile::exists(target));

    // A folder in the way of the file name is no file either.
    sink.messages.clear();
    QVERIFY(!m_window->saveToFile(m_data->dir.path()));
    QCOMPARE(sink.messages.size(), 1);
}

void TestReportWindow::databaseErrorShowsNoWindow()
{
    RecordingMessageSink sink;
    QVERIFY(m_window->buildHiddenSitesReport());
    const QString before = memo()->toPlainText();

    // A data module whose tables never opened.
    SubmissionDatabase closed(m_data->config(), m_data->properties());
    ReportWindow window(closed);
    QVERIFY(!window.buildAccountsReport());
    QCOMPARE(sink.messages.size(), 1);
    QVERIFY(sink.messages.first().text.contains("not open"));

    // The Show operations return at once without showing the window.
    window.showProgressReport({"Editor Pro"});
    window.showAccountsReport();
    window.showHiddenSitesReport();
    QCOMPARE(sink.messages.size(), 4);
    QVERIFY(!window.isVisible());
    QCOMPARE(memo()->toPlainText(), before);
}

void TestReportWindow::showRunsModallyAndEscCloses()
{
    bool checked = false;
    whenModal([&](QWidget* modal) {
        QCOMPARE(modal, m_window.get());
        QVERIFY(memo()->toPlainText().startsWith("Hidden Sites List Report\n"));
        QVERIFY(memo()->toPlainText().contains("Gamma\n\tgamma.example\n"));
        checked = true;
        QTest::keyClick(modal, Qt::Key_Escape);
    });
    m_window->showHiddenSitesReport();
    QVERIFY(checked);
    QVERIFY(!m_window->isVisible());
    QCOMPARE(m_window->result(), int(QDialog::Rejected));

    // The Close button closes it as well, and the window is reused with the next report.
    checked = false;
    whenModal([&](QWidget* modal) {
        QVERIFY(memo()->toPlainText().startsWith("Quillet Site Accounts List Report\n"));
        checked = true;
        modal->findChild<QPushButton*>("closeButton")->click();
    });
    m_window->showAccountsReport();
    QVERIFY(checked);
    QVERIFY(!m_window->isVisible());
}

void TestReportWindow::saveButtonAsksForAFileName()
{
    m_window->resize(1000, 600);
    m_window->show();
    QVERIFY(m_window->buildHiddenSitesReport());
    const QString base = m_data->dir.file("hidden");

    bool asked = false;
    whenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QString("Save Report to File"));
        QCOMPARE(dialog->defaultSuffix(), QString("txt"));
        QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
        asked = true;
        dialog->selectFile(base);
        static_cast<QDialog*>(dialog)->accept();
    });
    m_window->findChild<QPushButton*>("saveButton")->click();
    QVERIFY(asked);
    QCOMPARE(m_data->dir.readFile("hidden.txt"), ReportTexts(m_data->dm()).hiddenSitesReport().toUtf8());

    // Cancelling the dialog writes nothing.
    whenModal([](QWidget* modal) { static_cast<QDialog*>(modal)->reject(); });
    QFile::remove(base + ".txt");
    m_window->saveReport();
    QVERIFY(!QFile::exists(base + ".txt"));
    QVERIFY(m_window->isVisible());
}

QTEST_MAIN(TestReportWindow)
#include "TestReportWindow.moc"
