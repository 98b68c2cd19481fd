#include "DataSelectorRows.h"
#include "FormAutoFill.h"
#include "FormCapture.h"
#include "FormFillCommands.h"
#include "FormMap.h"
#include "IniDocument.h"
#include "PageFormAdapter.h"
#include "PropertyCatalogue.h"
#include "TestSupport.h"
#include "UploadField.h"

#include <QDir>
#include <QTest>

namespace {

QString str(const char* text)
{
    return QString::fromUtf8(text);
}

FormControl upload(int position, const QString& name, const QStringList& files = {})
{
    FormControl c;
    c.position = position;
    c.tag = str("INPUT");
    c.type = str("file");
    c.name = name;
    c.files = files;
    c.value = files.isEmpty() ? QString() : str("C:\\fakepath\\") + files.first();
    return c;
}

FormControl text(int position, const QString& name, const QString& value = {})
{
    FormControl c;
    c.position = position;
    c.tag = str("INPUT");
    c.type = str("text");
    c.name = name;
    c.value = value;
    return c;
}

FormSnapshot page(const QVector<FormControl>& controls)
{
    FormSnapshot s;
    s.hasDocument = true;
    s.hasBody = true;
    s.controls = controls;
    return s;
}

} // namespace

// Upload fields in capture and fill, the notes on frames of other sites, and
// answers of the page that cannot be trusted.
class TestUploadLogic : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void fileNameOfEitherSeparator_data();
    void fileNameOfEitherSeparator();
    void chosenProgramFileIsMappedToFileName();
    void onlyAnExistingAbsoluteFileIsOffered();
    void planOffersFilesAndChangesNothingInUploadFields();
    void captureRecordsTheProgramFileAndNothingElseChanges();
    void notesOnUnreadFrames();
    void hostileAnswersOfThePage_data();
    void hostileAnswersOfThePage();

private:
    std::unique_ptr<TestProgramDirectory> m_dir;
    PropertyCatalogue m_properties;
    std::unique_ptr<DataSelectorRows> m_rows;
    SiteAccount m_site {str("Up Site"), str("me"), str("pw")};
};

void TestUploadLogic::init()
{
    m_dir = std::make_unique<TestProgramDirectory>();
    m_dir->writeFile(str("dist/Tool-1.0.zip"), "zip");
    m_properties = PropertyCatalogue();
    m_properties[PropertyCatalogue::ProgramName].setValue(str("Tool"));
    m_properties[PropertyCatalogue::FileName].setValue(m_dir->file(str("dist/Tool-1.0.zip")));
    m_rows = std::make_unique<DataSelectorRows>(m_properties);
    m_rows->fillCaptions();
    m_rows->refreshData();
}

void TestUploadLogic::cleanup()
{
    m_rows.reset();
    m_dir.reset();
}

void TestUploadLogic::fileNameOfEitherSeparator_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::newRow("unix") << str("/home/me/dist/Tool.zip") << str("Tool.zip");
    QTest::newRow("windows") << str("C:\\Dist\\Tool.zip") << str("Tool.zip");
    QTest::newRow("mixed, last wins") << str("C:\\Dist/sub\\Tool 2.zip") << str("Tool 2.zip");
    QTest::newRow("bare") << str("Tool.zip") << str("Tool.zip");
    QTest::newRow("folder") << str("/home/me/dist/") << QString();
}

void TestUploadLogic::fileNameOfEitherSeparator()
{
    QFETCH(QString, path);
    QFETCH(QString, name);
    QCOMPARE(UploadField::fileNameOf(path), name);
}

void TestUploadLogic::chosenProgramFileIsMappedToFileName()
{
    const QString caption = m_rows->caption(PropertyCatalogue::FileName);
    QCOMPARE(caption, str("File name"));
    QCOMPARE(UploadField::dataFieldOfChosenFile(upload(0, str("f"), {str("Tool-1.0.zip")}), *m_rows), caption);
    // Names differ in case, or more than one file, or no file, or not an upload field: nothing.
    QCOMPARE(UploadField::dataFieldOfChosenFile(upload(0, str("f"), {str("tool-1.0.zip")}), *m_rows), QString());
    QCOMPARE(UploadField::dataFieldOfChosenFile(upload(0, str("f"), {str("Tool-1.0.zip"), str("a.png")}), *m_rows),
        QString());
    QCOMPARE(UploadField::dataFieldOfChosenFile(upload(0, str("f")), *m_rows), QString());
    FormControl box = text(0, str("f"), str("Tool-1.0.zip"));
    box.files = QStringList {str("Tool-1.0.zip")};
    QCOMPARE(UploadField::dataFieldOfChosenFile(box, *m_rows), QString());
    // Without a program file nothing matches, not even an empty name.
    m_properties[PropertyCatalogue::FileName].setValue(QString());
    m_rows->refreshData();
    QCOMPARE(UploadField::dataFieldOfChosenFile(upload(0, str("f"), {QString()}), *m_rows), QString());
}

void TestUploadLogic::onlyAnExistingAbsoluteFileIsOffered()
{
    QCOMPARE(UploadField::offeredPath(m_dir->file(str("dist/Tool-1.0.zip"))), m_dir->file(str("dist/Tool-1.0.zip")));
    QCOMPARE(
        UploadField::offeredPath(m_dir->file(str("dist/../dist/Tool-1.0.zip"))), m_dir->file(str("dist/Tool-1.0.zip")));
    QCOMPARE(UploadField::offeredPath(m_dir->file(str("dist/missing.zip"))), QString());
    QCOMPARE(UploadField::offeredPath(m_dir->file(str("dist"))), QString()); // a folder
    QCOMPARE(UploadField::offeredPath(str("dist/Tool-1.0.zip")), QString()); // relative
    QCOMPARE(UploadField::offeredPath(str("C:\\fakepath\\Tool-1.0.zip")), QString());
    QCOMPARE(UploadField::offeredPath(QString()), QString());
}

void TestUploadLogic::planOffersFilesAndChangesNothingInUploadFields()
{
    FormMap map;
    map.setControl(str("archive"), str("file"), str("File name"));
    map.setControl(str("shot"), str("file"), QString());
    map.setControl(str("pad"), str("file"), str("PAD Path"));
    map.setControl(str("title"), str("text"), str("Program"));
    QVERIFY(QDir().mkpath(m_dir->file(str("SiteData"))));
    map.save(m_dir->file(str("SiteData/Up Site.xml")));
    // The values file holds what a page said of a chosen file: no file of this machine.
    m_dir->writeFile(str("SiteData/ToolUp Site.ini"), "[shot]\nValue=C:\\fakepath\\shot.png\n");
    m_properties[PropertyCatalogue::PadPath].setValue(str("pad.xml")); // relative: not offered
    m_rows->refreshData();

    const FormAutoFill::Plan plan = FormAutoFill(m_dir->path(), *m_rows, m_site, str("Tool"))
                                        .plan(page({upload(3, str("archive")), upload(5, str("shot")),
                                            upload(7, str("pad")), text(9, str("title"))}));
    QVERIFY(plan.haveMap);
    QCOMPARE(plan.changes.size(), 1);
    QCOMPARE(plan.changes.first().position, 9);
    QCOMPARE(plan.changes.first().dataField, str("Program"));
    QCOMPARE(plan.fileOffers.size(), 1);
    const FileOffer& offer = plan.fileOffers.first();
    QCOMPARE(offer.position, 3);
    QCOMPARE(offer.name, str("archive"));
    QCOMPARE(offer.tag, str("INPUT"));
    QCOMPARE(offer.path, m_dir->file(str("dist/Tool-1.0.zip")));
    QCOMPARE(offer.dataField, str("File name"));
}

void TestUploadLogic::captureRecordsTheProgramFileAndNothingElseChanges()
{
    FormCapture capture(m_dir->path(), *m_rows, m_site, str("Tool"));
    capture.capture(page({upload(0, str("archive"), {str("Tool-1.0.zip")}), upload(1, str("shot"), {str("s.png")}),
        upload(2, str("empty")), text(3, str("title"), str("Tool"))}));
    QCOMPARE(m_dir->readFile(str("SiteData/Up Site.xml")),
        QByteArray("<XML_SITE_SUBMIT_INFO><CONTROL Name=\"archive\" Type=\"file\" DataField=\"File name\"/>"
                   "<CONTROL Name=\"shot\" Type=\"file\" DataField=\"\"/>"
                   "<CONTROL Name=\"empty\" Type=\"file\" DataField=\"\"/>"
                   "<CONTROL Name=\"title\" Type=\"text\" DataField=\"Program\"/></XML_SITE_SUBMIT_INFO>\r\n"));
    const IniDocument values = IniDocument::load(m_dir->file(str("SiteData/ToolUp Site.ini")));
    QVERIFY(!values.hasSection(str("archive")));
    QCOMPARE(values.readString(str("shot"), str("Value"), {}), str("C:\\fakepath\\s.png"));
    QVERIFY(values.hasSection(str("empty")));
    QCOMPARE(values.readString(str("empty"), str("Value"), str("absent")), QString());
}

void TestUploadLogic::notesOnUnreadFrames()
{
    QCOMPARE(FormFillCommands::unreadFramesNote(0), QString());
    QCOMPARE(FormFillCommands::unreadFramesNote(-2), QString());
    QCOMPARE(FormFillCommands::unreadFramesNote(1), str("1 frame of another site was not read"));
    QCOMPARE(FormFillCommands::unreadFramesNote(2), str("2 frames of other sites were not read"));
    FormFillCommands::Outcome outcome;
    outcome.unreadFrames = 1;
    QCOMPARE(outcome.statusLine(), QString()); // nothing to show stays nothing
    outcome.status = str("Form loaded");
    QCOMPARE(outcome.statusLine(), str("Form loaded; 1 frame of another site was not read"));
    outcome.unreadFrames = 0;
    QCOMPARE(outcome.statusLine(), str("Form loaded"));
}

void TestUploadLogic::hostileAnswersOfThePage_data()
{
    QTest::addColumn<QVariant>("answer");
    QTest::addColumn<bool>("readable");
    QTest::addColumn<int>("controls");
    QTest::addColumn<int>("unreadFrames");
    QTest::newRow("no answer") << QVariant() << false << 0 << 0;
    QTest::newRow("a number") << QVariant(42) << false << 0 << 0;
    QTest::newRow("not JSON") << QVariant(str("{controls: [")) << false << 0 << 0;
    QTest::newRow("an array") << QVariant(str("[1,2]")) << false << 0 << 0;
    QTest::newRow("deeply nested") << QVariant(
        QString(QString(100000, QLatin1Char('[')) + QString(100000, QLatin1Char(']'))))
                                   << false << 0 << 0;
    QTest::newRow("wrong kinds") << QVariant(
        str(R"({"hasDocument":true,"hasBody":true,"unreadFrames":-7,"controls":[7,"x",)"
            R"({"p":-1},{"p":3,"files":[1,{"a":2}],"options":[1,[2]]},{"p":4,"name":{"x":1}}]})"))
                                 << true << 2 << 0;
    QTest::newRow("late controls of another document")
        << QVariant(str(R"({"documentChanged":true,"controls":[{"p":0}]})")) << false << 0 << 0;
    QTest::newRow("frames counted") << QVariant(str(R"({"hasDocument":true,"unreadFrames":3,"controls":[]})")) << true
                                    << 0 << 3;
}

void TestUploadLogic::hostileAnswersOfThePage()
{
    QFETCH(QVariant, answer);
    QFETCH(bool, readable);
    QFETCH(int, controls);
    QFETCH(int, unreadFrames);
    const PageFormAdapter::SnapshotResult result = PageFormAdapter::readSnapshot(answer);
    QCOMPARE(result.ok, readable);
    QCOMPARE(result.snapshot.controls.size(), controls);
    QCOMPARE(result.snapshot.unreadFrames, unreadFrames);
    if (!readable && controls == 0)
        QVERIFY(!result.error.isEmpty());
    for (const FormControl& c : result.snapshot.controls) {
        QVERIFY(c.position >= 0);
        for (const QString& file : c.files)
            QVERIFY(file.isEmpty());
    }
    // The same answers read as the result of applying changes: never a crash, never a success out of nothing.
    const FormApplyResult applied = PageFormAdapter::readApplyResult(answer);
    QVERIFY(!applied.ok || applied.outcomes.isEmpty());
}

QTEST_GUILESS_MAIN(TestUploadLogic)
#include "TestUploadLogic.moc"
