#include "ConfigEditor.h"
#include "DataFixture.h"
#include "PadExport.h"
#include "PadImport.h"
#include "QuilletError.h"
#include "UserDate.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTest>

#include <sys/stat.h>

using namespace EditorControl;
using Origin = EditorState::Origin;
using Mode = PadImport::Mode;

namespace {

QString padSample(const QString& name)
{
    return qEnvironmentVariable("QUILLET_PAD_SAMPLES") + QLatin1Char('/') + name;
}

// The controls the import fills: the company's and the program's, less
// those it never reads.
QList<Id> importedControls(Group group)
{
    QList<Id> ids;
    for (int i = 0; i < Count; ++i) {
        const Id id = static_cast<Id>(i);
        if (EditorControl::group(id) == group && id != edtLinks && id != edtPADPath && id != memLimitations
            && id != memRevNotes)
            ids << id;
    }
    return ids;
}

// A control's value as text, for comparing.
QString shown(const EditorState& state, Id id)
{
    switch (kind(id)) {
    case Kind::Memo:
        return state.lines(id).join(QStringLiteral("|"));
    case Kind::Date:
        return state.date(id).toString(Qt::ISODate);
    default:
        return state.text(id);
    }
}

struct OpenedData {
    OpenedData()
    {
        fixture.dir.writeFile(QStringLiteral("companies.ini"),
            "[Lantern Bay]\r\nCity=Port Ellis\r\nContact=Maren Holt\r\nCountry=United Kingdom\r\n"
            "EMail=hello@lanternbay.example\r\nContactEMail=press@lanternbay.example\r\n");
        fixture.dir.writeFile(QStringLiteral("quillet.ini"), "[Config]\r\nLastCompany=Lantern Bay\r\n");
        fixture.open();
    }

    DataFixture fixture;
};

// The data opened, then an editor over it.
struct Opened : OpenedData {
    Opened() { editor.open(); }

    void clearCompany()
    {
        for (int id = cbCompany; id <= LastCompanyEdit; ++id)
            state.setText(static_cast<Id>(id), QString(), Origin::Editor);
    }

    QMap<Id, QString> snapshot()
    {
        QMap<Id, QString> values;
        for (Group group : {Group::Company, Group::Program}) {
            for (Id id : importedControls(group))
                values.insert(id, shown(state, id));
        }
        return values;
    }

    // Both imports of one file, the company details first, into a company
    // emptied before.
    void importBoth(const QString& path)
    {
        clearCompany();
        PadImport(editor).loadPadFile(path, Mode::Company);
        const PadImport::Result result = PadImport(editor).loadPadFile(path, Mode::Program);
        QVERIFY2(result.error.isEmpty(), qPrintable(result.error));
    }

    EditorState state;
    ConfigEditor editor {state, fixture.config(), fixture.properties(), fixture.dm()};
};

QMap<Id, QString> differences(const QMap<Id, QString>& a, const QMap<Id, QString>& b)
{
    QMap<Id, QString> different;
    for (auto it = a.cbegin(); it != a.cend(); ++it) {
        if (b.value(it.key()) != it.value())
            different.insert(it.key(), it.value() + QStringLiteral(" => ") + b.value(it.key()));
    }
    return different;
}

QString describe(const QMap<Id, QString>& different)
{
    QStringList lines;
    for (auto it = different.cbegin(); it != different.cend(); ++it)
        lines << name(it.key()) + QStringLiteral(": ") + it.value();
    return lines.join(QLatin1Char('\n'));
}

} // namespace

class TestPadExport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void everyImportedElementIsWritten()
    {
        // The map read the other way: each control the import fills from an
        // element is the source of some element of the export.
        QList<Id> filled = PadImport::companyElements().values() + PadImport::programElements().values();
        filled << dteFile << dteExpire << edtFileSize;
        for (Id id : filled) {
            bool written = false;
            for (const QString& path : PadExport::layout())
                written = written || PadExport::controlOf(path) == id;
            QVERIFY2(written, qPrintable(name(id)));
        }
        QCOMPARE(PadExport::controlOf(QStringLiteral("Program_Descriptions/German/Char_Desc_45")), edtDesc45);
        QCOMPARE(PadExport::controlOf(QStringLiteral("Program_Info/Program_Language")), Count);
        QCOMPARE(PadExport::controlOf(QStringLiteral("Program_Info/Program_Release_Status")), Count);
        QCOMPARE(PadExport::controlOf(QStringLiteral("Program_Info/Program_Release_Day")), dteFile);
        QCOMPARE(PadExport::controlOf(QStringLiteral("Program_Info/File_Info/File_Size_MB")), edtFileSize);
    }

    void everyProgramRecordRoundTrips_data()
    {
        QTest::addColumn<QStringList>("values"); // index=value pairs
        const QString march7 = QStringLiteral("22=") + UserDate::toText(QDate(2004, 3, 7));
        QTest::newRow("full") << QStringList {march7, QStringLiteral("14=Round Trip"), QStringLiteral("15=2.4.1-beta"),
            QStringLiteral("16=http://127.0.0.1/rt/"), QStringLiteral("17=https://127.0.0.1/rt/buy"),
            QStringLiteral("18=notes, outliner"), QStringLiteral("19=1536000"), QStringLiteral("23=rt-setup.exe"),
            QStringLiteral("24=19.95"), QStringLiteral("25=Shareware"), QStringLiteral("26=Windows 11,Linux"),
            QStringLiteral("27=Install and Uninstall"), QStringLiteral("28=30"),
            QStringLiteral("29=") + UserDate::toText(QDate(2030, 12, 31)), QStringLiteral("30=http://127.0.0.1/s.png"),
            QStringLiteral("31=http://127.0.0.1/i.png"), QStringLiteral("32=http://127.0.0.1/a.zip"),
            QStringLiteral("33=http://127.0.0.1/b.zip"), QStringLiteral("34=ftp://127.0.0.1/c.zip"),
            QStringLiteral("35=http://127.0.0.1/d.exe"), QStringLiteral("36=http://127.0.0.1/pad.xml"),
            QStringLiteral("37=Line one\r\nLine two\r\n"), QStringLiteral("40=Short & <sharp> \"quoted\""),
            QStringLiteral("41=Eighty"), QStringLiteral("42=Para one\r\n\r\nPara three\r\n"),
            QStringLiteral("43=Caf\u00e9 \u00bc \u20ac \U0001F600\r\n"), QStringLiteral("44=Long\r\ntext\r\n"),
            QStringLiteral("45=Faster\r\n")};
        QTest::newRow("name only") << QStringList {QStringLiteral("14=Bare")};
        QTest::newRow("dates at the ends of the year")
            << QStringList {QStringLiteral("14=Dates"), QStringLiteral("22=") + UserDate::toText(QDate(1999, 1, 1)),
                   QStringLiteral("29=") + UserDate::toText(QDate(2199, 12, 31))};
        QTest::newRow("size below a kilobyte")
            << QStringList {QStringLiteral("14=Tiny"), QStringLiteral("19=1023"), QStringLiteral("25=Freeware")};
    }

    void everyProgramRecordRoundTrips()
    {
        QFETCH(QStringList, values);
        Opened f;
        PropertyCatalogue& p = f.fixture.properties();
        for (const QString& pair : values)
            p[pair.section(QLatin1Char('='), 0, 0).toInt()].setValue(pair.section(QLatin1Char('='), 1));
        const QString program = p[PropertyCatalogue::ProgramName].getValue();
        f.fixture.dm().saveProgram(program);

        // The record as stored, then as the file gives it back.
        f.fixture.dm().loadProgram(program);
        const PadValues stored = PadExport::valuesOf(p);
        const QString file = f.fixture.dir.file(QStringLiteral("out.xml"));
        PadExport::exportTo(file, stored);
        // A date the record does not hold is written as empty parts; what
        // the import makes of those is the import's rule.
        const QByteArray bytes = f.fixture.dir.readFile(QStringLiteral("out.xml"));
        QCOMPARE(stored.at(PropertyCatalogue::FileDate).isEmpty(),
            bytes.contains("<Program_Release_Year></Program_Release_Year>"));
        QCOMPARE(stored.at(29).isEmpty(), bytes.contains("<Expire_Year></Expire_Year>"));
        for (int i = PropertyCatalogue::FirstProgram; i <= PropertyCatalogue::LastProgram; ++i)
            p[i].setValue(QString());
        const PadImport::Result result = PadImport(f.editor).loadPadFile(file, Mode::Program);
        QCOMPARE(result.error, QString());
        QVERIFY(result.programStored);
        f.fixture.dm().loadProgram(program);
        for (Id id : importedControls(Group::Program)) {
            const int index = info(id).catalogueIndex;
            if (kind(id) == Kind::Date && stored.at(static_cast<size_t>(index)).isEmpty())
                continue;
            QVERIFY2(p[index].getValue() == stored.at(static_cast<size_t>(index)),
                qPrintable(name(id) + QStringLiteral(": ") + stored.at(static_cast<size_t>(index))
                    + QStringLiteral(" => ") + p[index].getValue()));
        }
    }

    void companyRoundTrips_data()
    {
        QTest::addColumn<QString>("contact");
        QTest::newRow("first and last") << "Maren Holt";
        QTest::newRow("two first names") << "Mary Ann Smith";
        QTest::newRow("one name") << "Cher";
        QTest::newRow("none") << "";
    }

    void companyRoundTrips()
    {
        QFETCH(QString, contact);
        Opened f;
        f.state.setText(edtContact, contact, Origin::User);
        f.state.setText(edtAddr1, QStringLiteral("12 Harbour Row"), Origin::User);
        f.state.setText(edtTelNo, QStringLiteral("+44 1632 960123"), Origin::User);
        f.state.setText(edtPostal, QStringLiteral("06830"), Origin::User);
        const QMap<Id, QString> before = f.snapshot();
        const QString file = f.fixture.dir.file(QStringLiteral("company.xml"));
        PadExport::writeFile(file, PadExport::document(PadExport::valuesOf(f.state, f.fixture.properties())));
        f.clearCompany();
        PadImport(f.editor).loadPadFile(file, Mode::Company);
        QMap<Id, QString> after = f.snapshot();
        for (Id id : importedControls(Group::Program))
            after.insert(id, before.value(id));
        QVERIFY2(differences(before, after).isEmpty(), qPrintable(describe(differences(before, after))));
        QCOMPARE(f.state.text(edtContact), contact);
    }

    void samplesRoundTrip_data()
    {
        QTest::addColumn<QString>("file");
        for (const QString& name : QDir(qEnvironmentVariable("QUILLET_PAD_SAMPLES"))
                                       .entryList({QStringLiteral("*.xml")}, QDir::Files, QDir::Name))
            QTest::newRow(qPrintable(name)) << name;
    }

    void samplesRoundTrip()
    {
        QFETCH(QString, file);
        Opened first;
        first.importBoth(padSample(file));
        const QMap<Id, QString> firstImport = first.snapshot();
        const QString exported = first.fixture.dir.file(QStringLiteral("exported.xml"));
        PadExport::exportTo(exported, PadExport::valuesOf(first.state, first.fixture.properties()));

        Opened second;
        second.importBoth(exported);
        const QMap<Id, QString> different = differences(firstImport, second.snapshot());
        QVERIFY2(different.isEmpty(), qPrintable(describe(different)));
    }

    void documentIsPad311Utf8WithLfMemos()
    {
        Opened f;
        PadValues values = PadExport::valuesOf(f.fixture.properties());
        values[PropertyCatalogue::ProgramName] = QStringLiteral("Caf\u00e9");
        values[44] = QStringLiteral("One\r\nTwo\r\n");
        const QByteArray bytes = PadExport::document(values);
        QVERIFY(bytes.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
        QVERIFY(bytes.contains("<MASTER_PAD_VERSION>3.11</MASTER_PAD_VERSION>"));
        QVERIFY(bytes.contains("<MASTER_PAD_EDITOR>Quillet " QUILLET_VERSION "</MASTER_PAD_EDITOR>"));
        QVERIFY(bytes.contains("<Program_Name>Caf\xc3\xa9</Program_Name>"));
        QVERIFY(bytes.contains("<Char_Desc_2000>One\nTwo</Char_Desc_2000>"));
        QVERIFY(!bytes.contains('\r'));
        // An entry without a value is an empty element; nothing is made up.
        QVERIFY(bytes.contains("<Program_Version></Program_Version>"));
        QVERIFY(bytes.contains("<Program_Release_Year></Program_Release_Year>"));
        QVERIFY(bytes.contains("<Program_Category_Class></Program_Category_Class>"));
        QVERIFY(bytes.contains("<Has_Expire_Info>N</Has_Expire_Info>"));
        // The derived contact facts.
        QVERIFY(bytes.contains("<Author_First_Name>Maren</Author_First_Name>"));
        QVERIFY(bytes.contains("<Author_Email>press@lanternbay.example</Author_Email>"));
        QVERIFY(bytes.contains("<Sales_Email>hello@lanternbay.example</Sales_Email>"));
    }

    void sizesAreWrittenWithAPointInAnyLocale()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        Opened f;
        PadValues values = PadExport::valuesOf(f.fixture.properties());
        values[PropertyCatalogue::FileSize] = QStringLiteral("1536000");
        values[PropertyCatalogue::FileSizeMB] = QStringLiteral("1,46");
        const QByteArray bytes = PadExport::document(values);
        QVERIFY(bytes.contains("<File_Size_K>1500</File_Size_K>"));
        QVERIFY(bytes.contains("<File_Size_MB>1.46</File_Size_MB>"));
    }

    void fieldsNoEntryHoldsComeFromTheProgramsPadFile()
    {
        Opened f;
        f.fixture.dir.writeFile(QStringLiteral("own.xml"),
            "<XML_DIZ_INFO><Program_Info><Program_Name>Old Name</Program_Name>"
            "<PROGRAM_CATEGORY_CLASS>Business::Other</PROGRAM_CATEGORY_CLASS>"
            "<Program_Language>English,German</Program_Language></Program_Info>"
            "<Company_Info><Contact_Info><Author_First_Name>Ada</Author_First_Name></Contact_Info></Company_Info>"
            "<Affiliates><Affiliates_FORM>Y</Affiliates_FORM><Affiliates_Kagi_Vendor_ID>7&amp;8</"
            "Affiliates_Kagi_Vendor_ID>"
            "</Affiliates><Signature><SignedInfo>old</SignedInfo></Signature></XML_DIZ_INFO>");
        PadValues values = PadExport::valuesOf(f.fixture.properties());
        values[PropertyCatalogue::ProgramName] = QStringLiteral("New Name");
        values[PropertyCatalogue::PadPath] = f.fixture.dir.file(QStringLiteral("own.xml"));
        // Written over the program's own file: what it alone held stays.
        PadExport::exportTo(values[PropertyCatalogue::PadPath], values);
        const QByteArray bytes = f.fixture.dir.readFile(QStringLiteral("own.xml"));
        QVERIFY(bytes.contains("<Program_Name>New Name</Program_Name>"));
        QVERIFY(bytes.contains("<Program_Category_Class>Business::Other</Program_Category_Class>"));
        QVERIFY(bytes.contains("<Program_Language>English,German</Program_Language>"));
        QVERIFY(bytes.contains("<Author_First_Name>Ada</Author_First_Name>"));
        QVERIFY(bytes.contains("<Author_Last_Name>Holt</Author_Last_Name>"));
        // Its extension blocks stay; its signature, which would no longer match, goes.
        QVERIFY(bytes.contains("<Affiliates>\n    <Affiliates_FORM>Y</Affiliates_FORM>\n"
                               "    <Affiliates_Kagi_Vendor_ID>7&amp;8</Affiliates_Kagi_Vendor_ID>\n  </Affiliates>"));
        QVERIFY(!bytes.contains("Signature"));
        QVERIFY(!bytes.contains("SignedInfo"));
    }

    void unreadableProgramPadFileStopsTheExport()
    {
        Opened f;
        f.fixture.dir.writeFile(QStringLiteral("broken.xml"), "<XML_DIZ_INFO><Program_Info>");
        PadValues values = PadExport::valuesOf(f.fixture.properties());
        values[PropertyCatalogue::PadPath] = f.fixture.dir.file(QStringLiteral("broken.xml"));
        const QString target = f.fixture.dir.file(QStringLiteral("target.xml"));
        QVERIFY_THROWS_EXCEPTION(QuilletError, PadExport::exportTo(target, values));
        QVERIFY(!QFile::exists(target));
    }

    void characterXmlCannotCarryIsRefused()
    {
        Opened f;
        PadValues values = PadExport::valuesOf(f.fixture.properties());
        values[40] = QStringLiteral("Bell\u0007");
        const QString target = f.fixture.dir.file(QStringLiteral("target.xml"));
        try {
            PadExport::exportTo(target, values);
            QFAIL("no error");
        } catch (const QuilletError& error) {
            QVERIFY2(error.text().contains(QStringLiteral("Char_Desc_45")), qPrintable(error.text()));
            QVERIFY(error.text().contains(QStringLiteral("U+0007")));
        }
        QVERIFY(!QFile::exists(target));
    }

    void fileIsPublishedWithMode0644()
    {
        Opened f;
        const mode_t before = ::umask(077);
        const QString target = f.fixture.dir.file(QStringLiteral("pad.xml"));
        f.fixture.dir.writeFile(QStringLiteral("pad.xml"), "old");
        ::chmod(QFile::encodeName(target).constData(), 0600);
        PadExport::exportTo(target, PadExport::valuesOf(f.fixture.properties()));
        ::umask(before);
        struct stat info { };
        QCOMPARE(::stat(QFile::encodeName(target).constData(), &info), 0);
        QCOMPARE(info.st_mode & 07777, mode_t(0644));
        QVERIFY(f.fixture.dir.readFile(QStringLiteral("pad.xml")).startsWith("<?xml"));
        // No temporary file is left beside it.
        QCOMPARE(QDir(f.fixture.dir.path()).entryList({QStringLiteral(".pad.xml*")}, QDir::Hidden | QDir::Files),
            QStringList());
    }

    void targetsThatAreNoFileAreRefused_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("words");
        QTest::newRow("folder") << "folder"
                                << "is a folder.";
        QTest::newRow("link to a file") << "link"
                                        << "is a symbolic link";
        QTest::newRow("dangling link") << "dangling"
                                       << "is a symbolic link";
        QTest::newRow("fifo") << "fifo"
                              << "is not a regular file.";
        QTest::newRow("missing folder") << "nofolder"
                                        << "does not exist.";
    }

    void targetsThatAreNoFileAreRefused()
    {
        QFETCH(QString, kind);
        QFETCH(QString, words);
        Opened f;
        const QString outside = f.fixture.dir.file(QStringLiteral("outside.txt"));
        f.fixture.dir.writeFile(QStringLiteral("outside.txt"), "keep me");
        QString target = f.fixture.dir.file(QStringLiteral("target.xml"));
        std::unique_ptr<TestFifo> fifo;
        if (kind == QLatin1String("folder"))
            QVERIFY(QDir().mkpath(target));
        else if (kind == QLatin1String("link"))
            QVERIFY(QFile::link(outside, target));
        else if (kind == QLatin1String("dangling"))
            QVERIFY(QFile::link(f.fixture.dir.file(QStringLiteral("nowhere.xml")), target));
        else if (kind == QLatin1String("fifo"))
            fifo = std::make_unique<TestFifo>(target);
        else
            target = f.fixture.dir.file(QStringLiteral("no/such/pad.xml"));
        try {
            PadExport::exportTo(target, PadExport::valuesOf(f.fixture.properties()));
            QFAIL("no error");
        } catch (const QuilletError& error) {
            QVERIFY2(error.text().contains(words), qPrintable(error.text()));
        }
        QCOMPARE(f.fixture.dir.readFile(QStringLiteral("outside.txt")), QByteArray("keep me"));
        QVERIFY(!QFile::exists(f.fixture.dir.file(QStringLiteral("nowhere.xml"))));
        if (kind == QLatin1String("link"))
            QVERIFY(QFileInfo(target).isSymLink());
    }
};

QTEST_GUILESS_MAIN(TestPadExport)
#include "TestPadExport.moc"
