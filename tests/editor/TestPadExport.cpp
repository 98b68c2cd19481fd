#include "ConfigEditor.h"
#include "EditorTestKit.h"
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

// The data opened, then an editor over it.
struct Opened : OpenedData {
    // Every entry the import fills, a postal code with a leading zero.
    Opened()
        : OpenedData(
            "[Lantern Bay]\r\nWebSite=http://127.0.0.1/lb/\r\nEMail=hello@lanternbay.example\r\n"
            "Contact=Maren Holt\r\nContactEMail=press@lanternbay.example\r\nTelNo=+44 1632 960123\r\n"
            "Addr1=12 Harbour Row\r\nAddr2=Unit 4\r\nCity=Port Ellis\r\nState=Kent\r\nCountry=United Kingdom\r\n"
            "Postal=06830\r\n",
            "[Config]\r\nLastCompany=Lantern Bay\r\n")
    {
        editor.open();
    }

    void clearCompany()
    {
        for (int id = cbCompany; id <= LastCompanyEdit; ++id)
            state.setText(static_cast<Id>(id), QString(), Origin::Editor);
    }

    QMap<Id, QString> snapshot(const QList<Group>& groups = {Group::Company, Group::Program})
    {
        QMap<Id, QString> values;
        for (Group group : groups) {
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

// The controls whose values differ, one a line: "name: before => after".
QString differences(const QMap<Id, QString>& before, const QMap<Id, QString>& after)
{
    QStringList lines;
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        if (after.value(it.key()) != it.value())
            lines << name(it.key()) + QStringLiteral(": ") + it.value() + QStringLiteral(" => ")
                    + after.value(it.key());
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace

class TestPadExport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Before the first table too: its dates are in the user's format.
    void initTestCase() { init(); }
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // Every element the import reads comes back as it was written: the
    // import's element map read the other way.
    void everyProgramRecordRoundTrips_data()
    {
        QTest::addColumn<QStringList>("values"); // index=value pairs
        QTest::addColumn<bool>("whole");         // every entry the import fills has a value
        const QString march7 = "22=" + UserDate::toText(QDate(2004, 3, 7));
        QTest::newRow("full") << QStringList {march7, "14=Round Trip", "15=2.4.1-beta", "16=http://127.0.0.1/rt/",
            "17=https://127.0.0.1/rt/buy", "18=notes, outliner", "19=1536000", "23=rt-setup.exe", "24=19.95",
            "25=Shareware", "26=Windows 11,Linux", "27=Install and Uninstall", "28=30",
            "29=" + UserDate::toText(QDate(2030, 12, 31)), "30=http://127.0.0.1/s.png", "31=http://127.0.0.1/i.png",
            "32=http://127.0.0.1/a.zip", "33=http://127.0.0.1/b.zip", "34=ftp://127.0.0.1/c.zip",
            "35=http://127.0.0.1/d.exe", "36=http://127.0.0.1/pad.xml", "37=Line one\r\nLine two\r\n",
            "40=Short & <sharp> \"quoted\"", "41=Eighty", "42=Para one\r\n\r\nPara three\r\n",
            QStringLiteral("43=Caf\u00e9 \u00bc \u20ac \U0001F600\r\n"), "44=Long\r\ntext\r\n", "45=Faster\r\n"}
                              << true;
        QTest::newRow("name only") << QStringList {"14=Bare"} << false;
        QTest::newRow("size below a kilobyte") << QStringList {"14=Tiny", "19=1023", "25=Freeware"} << false;
    }

    void everyProgramRecordRoundTrips()
    {
        QFETCH(QStringList, values);
        QFETCH(bool, whole);
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
        QCOMPARE(stored.at(29).isEmpty(), bytes.contains("<Expire_Year></Expire_Year>"));
        for (int i = PropertyCatalogue::FirstProgram; i <= PropertyCatalogue::LastProgram; ++i)
            p[i].setValue(QString());
        const PadImport::Result result = PadImport(f.editor).loadPadFile(file, Mode::Program);
        QCOMPARE(result.error, QString());
        QVERIFY(result.programStored);
        f.fixture.dm().loadProgram(program);
        for (Id id : importedControls(Group::Program)) {
            const QString& before = stored.at(static_cast<size_t>(info(id).catalogueIndex));
            QVERIFY2(!whole || !before.isEmpty(), qPrintable(name(id)));
            if (kind(id) == Kind::Date && before.isEmpty())
                continue;
            const QString after = p[info(id).catalogueIndex].getValue();
            QVERIFY2(
                after == before, qPrintable(name(id) + QStringLiteral(": ") + before + QStringLiteral(" => ") + after));
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
        const QMap<Id, QString> before = f.snapshot({Group::Company});
        for (auto it = before.cbegin(); it != before.cend(); ++it)
            QVERIFY2(!it.value().isEmpty() || it.key() == edtContact, qPrintable(name(it.key())));
        const QString file = f.fixture.dir.file(QStringLiteral("company.xml"));
        PadExport::writeFile(file, PadExport::document(PadExport::valuesOf(f.state, f.fixture.properties())));
        f.clearCompany();
        PadImport(f.editor).loadPadFile(file, Mode::Company);
        QCOMPARE(differences(before, f.snapshot({Group::Company})), QString());
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
        QCOMPARE(differences(firstImport, second.snapshot()), QString());
    }

    void documentIsPad311Utf8WithLfMemosAndPointsInAnyLocale()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        Opened f;
        PadValues values = PadExport::valuesOf(f.fixture.properties());
        values[PropertyCatalogue::ProgramName] = QStringLiteral("Caf\u00e9");
        values[44] = QStringLiteral("One\r\nTwo\r\n");
        values[PropertyCatalogue::FileSize] = QStringLiteral("1536000");
        values[PropertyCatalogue::FileSizeMB] = QStringLiteral("1,46");
        const QByteArray bytes = PadExport::document(values);
        QVERIFY(bytes.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
        QVERIFY(!bytes.contains('\r'));
        // An entry without a value is an empty element; nothing is made up
        // but the contact facts derived from the company's.
        for (const char* element :
            {"<MASTER_PAD_VERSION>3.11</MASTER_PAD_VERSION>",
                "<MASTER_PAD_EDITOR>Quillet " QUILLET_VERSION "</MASTER_PAD_EDITOR>",
                "<Program_Name>Caf\xc3\xa9</Program_Name>", "<Char_Desc_2000>One\nTwo</Char_Desc_2000>",
                "<File_Size_K>1500</File_Size_K>", "<File_Size_MB>1.46</File_Size_MB>",
                "<Program_Version></Program_Version>", "<Program_Release_Year></Program_Release_Year>",
                "<Program_Category_Class></Program_Category_Class>", "<Has_Expire_Info>N</Has_Expire_Info>",
                "<Author_First_Name>Maren</Author_First_Name>", "<Author_Email>press@lanternbay.example</Author_Email>",
                "<Sales_Email>hello@lanternbay.example</Sales_Email>"})
            QVERIFY2(bytes.contains(element), element);
    }

    void fieldsNoEntryHoldsComeFromTheProgramsPadFile()
    {
        Opened f;
        f.fixture.dir.writeFile(QStringLiteral("own.xml"),
            "<XML_DIZ_INFO><Program_Info><Program_Name>Old Name</Program_Name>"
            "<PROGRAM_CATEGORY_CLASS>Business::Other</PROGRAM_CATEGORY_CLASS></Program_Info>"
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
        for (const char* element : {"<Program_Name>New Name</Program_Name>",
                 "<Program_Category_Class>Business::Other</Program_Category_Class>",
                 "<Author_First_Name>Ada</Author_First_Name>", "<Author_Last_Name>Holt</Author_Last_Name>",
                 // Its extension blocks stay; its signature, which would no longer match, goes.
                 "<Affiliates>\n    <Affiliates_FORM>Y</Affiliates_FORM>\n"
                 "    <Affiliates_Kagi_Vendor_ID>7&amp;8</Affiliates_Kagi_Vendor_ID>\n  </Affiliates>"})
            QVERIFY2(bytes.contains(element), element);
        QVERIFY(!bytes.contains("Signature"));
        QVERIFY(!bytes.contains("SignedInfo"));
        // A check's problem at a field focuses the entry it is written from;
        // those above come from no entry.
        QCOMPARE(PadExport::controlOf(QStringLiteral("Program_Info/Program_Language")), Count);
        QCOMPARE(PadExport::controlOf(QStringLiteral("Program_Descriptions/German/Char_Desc_45")), edtDesc45);
        QCOMPARE(PadExport::controlOf(QStringLiteral("Program_Info/Program_Release_Day")), dteFile);
        QCOMPARE(PadExport::controlOf(QStringLiteral("Program_Info/File_Info/File_Size_MB")), edtFileSize);
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

    // Nothing is written, nor anything a link points to.
    void refusedExportsWriteNothing_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("words");
        const auto row
            = [](const char* kind, const char* words) { QTest::newRow(kind) << QString(kind) << QString(words); };
        row("folder", "is a folder.");
        row("link to a file", "is a symbolic link");
        row("dangling link", "is a symbolic link");
        row("fifo", "is not a regular file.");
        row("missing folder", "does not exist.");
        row("unreadable PAD file of the program", "which gives the fields the editor does not hold, cannot be read");
        row("character XML cannot carry", "Char_Desc_45 holds the character U+0007");
    }

    void refusedExportsWriteNothing()
    {
        QFETCH(QString, kind);
        QFETCH(QString, words);
        Opened f;
        const QString outside = f.fixture.dir.file(QStringLiteral("outside.txt"));
        f.fixture.dir.writeFile(QStringLiteral("outside.txt"), "keep me");
        PadValues values = PadExport::valuesOf(f.fixture.properties());
        QString target = f.fixture.dir.file(QStringLiteral("target.xml"));
        std::unique_ptr<TestFifo> fifo;
        if (kind == QLatin1String("folder")) {
            QVERIFY(QDir().mkpath(target));
        } else if (kind == QLatin1String("link to a file")) {
            QVERIFY(QFile::link(outside, target));
        } else if (kind == QLatin1String("dangling link")) {
            QVERIFY(QFile::link(f.fixture.dir.file(QStringLiteral("nowhere.xml")), target));
        } else if (kind == QLatin1String("fifo")) {
            fifo = std::make_unique<TestFifo>(target);
        } else if (kind == QLatin1String("missing folder")) {
            target = f.fixture.dir.file(QStringLiteral("no/such/pad.xml"));
        } else if (kind == QLatin1String("character XML cannot carry")) {
            values[40] = QStringLiteral("Bell\u0007");
        } else {
            f.fixture.dir.writeFile(QStringLiteral("broken.xml"), "<XML_DIZ_INFO><Program_Info>");
            values[PropertyCatalogue::PadPath] = f.fixture.dir.file(QStringLiteral("broken.xml"));
        }
        const bool existed = QFileInfo(target).exists() || QFileInfo(target).isSymLink();
        try {
            PadExport::exportTo(target, values);
            QFAIL("no error");
        } catch (const QuilletError& error) {
            QVERIFY2(error.text().contains(words), qPrintable(error.text()));
        }
        QCOMPARE(f.fixture.dir.readFile(QStringLiteral("outside.txt")), QByteArray("keep me"));
        QVERIFY(!QFile::exists(f.fixture.dir.file(QStringLiteral("nowhere.xml"))));
        QCOMPARE(QFileInfo(target).exists() || QFileInfo(target).isSymLink(), existed);
        if (kind.contains(QLatin1String("link")))
            QVERIFY(QFileInfo(target).isSymLink());
    }
};

QTEST_GUILESS_MAIN(TestPadExport)
#include "TestPadExport.moc"
