#include "TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

namespace {

QString str(const char* text)
{
    return QString::fromUtf8(text);
}

struct Result {
    int code = -1;
    QString out;
    QString err;
    QStringList lines() const { return out.split(QLatin1Char('\n'), Qt::SkipEmptyParts); }
};

// A source tree, a window list and language files for scripts/lng-keys.py.
class Tree {
public:
    void write(const QString& relative, const QByteArray& bytes) const
    {
        QDir().mkpath(QFileInfo(m_dir.file(relative)).absolutePath());
        m_dir.writeFile(relative, bytes);
    }
    QString file(const QString& relative) const { return m_dir.file(relative); }

    // Runs the script on the tree; windows is the window list it reads
    // instead of asking the build.
    Result run(const QStringList& arguments, const QByteArray& windows = "# window Form1 MainWindow\n") const
    {
        write(str("windows.txt"), windows);
        QProcess process;
        process.start(qEnvironmentVariable("QUILLET_PYTHON"),
            QStringList {qEnvironmentVariable("QUILLET_LNG_KEYS"), str("--source"), m_dir.path(), str("--windows"),
                file(str("windows.txt"))}
                + arguments);
        Result result;
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            return result;
        }
        result.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.out = QString::fromUtf8(process.readAllStandardOutput());
        result.err = QString::fromUtf8(process.readAllStandardError());
        return result;
    }

    // The [Messages] keys the script lists for the tree.
    QStringList messages() const
    {
        const Result listing = run({});
        const QStringList lines = listing.lines();
        const qsizetype start = lines.indexOf(str("[Messages]"));
        return start < 0 ? QStringList {str("<no [Messages] in ") + listing.out + listing.err + str(">")}
                         : lines.mid(start + 1);
    }

private:
    TestProgramDirectory m_dir;
};

} // namespace

// scripts/lng-keys.py on small source trees and language files made for each
// case: which texts are keys, which calls and windows it refuses, and what it
// says about files that miss keys or hold faulty translations.
class TestLngKeys : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void keysFromEveryKindOfCall();
    void variableWithoutMarkIsRefused();
    void textsNoFileCanHoldAreRefused();
    void windowMissingFromTheListIsRefused();
    void textShownWithoutPathIsRefused();
    void missingKeysAreListedReadyToFillIn();
    void faultyTranslationsAreReported();
    void englishFileNeedsNoMessages();
    void hostileFilesAreReportedNotFatal();
    void missingBuildIsABadStart();
};

void TestLngKeys::initTestCase()
{
    QVERIFY(QFileInfo(qEnvironmentVariable("QUILLET_PYTHON")).isExecutable());
    QVERIFY(QFileInfo(qEnvironmentVariable("QUILLET_LNG_KEYS")).isFile());
}

void TestLngKeys::keysFromEveryKindOfCall()
{
    Tree tree;
    tree.write(str("src/core/a.cpp"),
        "#include \"x.h\" // translateMsg(\"Include line\")\n"
        "#define TEXT translateMsg(\"Macro line\")\n"
        "// translateMsg(\"Line comment\")\n"
        "/* translateMessage(\"Block comment\") */\n"
        "QString translateMsg(const QString& text);\n"
        "QString Other::translateMessage(const QString& text) const;\n"
        "void f()\n"
        "{\n"
        "    translateMsg(QStringLiteral(\"Plain text\"));\n"
        "    translateMessage(\"Joined \"\n"
        "                     \"over lines\");\n"
        "    throw X(translateMsg(QStringLiteral(\"Quote \\\"%1\\\" and caf\\u00e9\")).arg(1));\n"
        "    const char* s = \"translateMsg(\\\"Inside a string\\\")\";\n"
        "    const QString t = MESSAGE_NOOP(QLatin1String(\"Marked\"));\n"
        "    const QChar q = QLatin1Char('\"'); translateMsg(\"After a quote character\");\n"
        "    return translateMsg(R\"(Raw \"text\")\");\n"
        "    translateMsg(u8\"Prefixed\");\n"
        "    translateMsg(variable); // lng-keys: indirect\n"
        "    translateMsg(QStringLiteral(\"plain TEXT\"));\n"
        "    int n = 1'000; translateMsg(\"After a digit separator\");\n"
        "}\n");
    tree.write(str("tests/t.cpp"), "void g() { translateMsg(\"Test text\"); translateMsg(x); }\n");
    const Result result = tree.run({});
    QCOMPARE(result.code, 0);
    QCOMPARE(tree.messages(),
        QStringList({str("After a digit separator"), str("After a quote character"), str("Joined over lines"),
            str("Marked"), str("Plain text"), str("Prefixed"), str("Quote \"%1\" and café"), str("Raw \"text\"")}));
    // --where names every place a key is used, both spellings of one key included.
    const QString where = tree.run({str("--where")}).out;
    QVERIFY2(where.contains(str("Plain text\n    ; src/core/a.cpp:9\n    ; src/core/a.cpp:19\n")), qPrintable(where));
}

void TestLngKeys::variableWithoutMarkIsRefused()
{
    Tree tree;
    tree.write(str("src/data/b.cpp"),
        "void f(const QString& name)\n{\n    show(translateMessage(name));\n"
        "    // lng-keys: indirect\n    show(translateMessage(other));\n"
        "    show(MESSAGE_NOOP(name));\n}\n");
    const Result result = tree.run({});
    QCOMPARE(result.code, 1);
    const QStringList errors = result.lines().filter(str("error: "));
    QCOMPARE(errors.size(), 2);
    QVERIFY2(errors.at(0).startsWith(str("error: src/data/b.cpp:3: translateMessage(name) passes a text from a "
                                         "variable: mark every text")),
        qPrintable(errors.at(0)));
    QVERIFY(errors.at(0).contains(str("\"// lng-keys: indirect\"")));
    QVERIFY2(errors.at(1).startsWith(str("error: src/data/b.cpp:6: MESSAGE_NOOP(name) marks no literal text")),
        qPrintable(errors.at(1)));
}

void TestLngKeys::textsNoFileCanHoldAreRefused()
{
    Tree tree;
    tree.write(str("src/c.cpp"),
        "void f()\n{\n    translateMsg(\"Width=3\");\n    translateMsg(\"Two\\nlines\");\n"
        "    translateMsg(\" padded\");\n    translateMsg(\"[Section\");\n    translateMsg(\"Fine\");\n}\n");
    const Result result = tree.run({});
    QCOMPARE(result.code, 1);
    const QStringList errors = result.lines().filter(str("error: "));
    QCOMPARE(errors.size(), 4);
    QVERIFY(errors.filter(str("src/c.cpp:3: the message \"Width=3\" holds \"=\"")).size() == 1);
    QVERIFY(errors.filter(str("src/c.cpp:4: the message \"Two\\nlines\" holds a line break")).size() == 1);
    QVERIFY(errors.filter(str("src/c.cpp:5: the message \" padded\" starts or ends with a blank")).size() == 1);
    QVERIFY(errors.filter(str("src/c.cpp:6: the message \"[Section\" starts with \"[\"")).size() == 1);
}

void TestLngKeys::windowMissingFromTheListIsRefused()
{
    Tree tree;
    const QByteArray dialog
        = "LoginDialog::LoginDialog()\n{\n    m_language = createWindowLanguage(this, paths());\n}\n";
    tree.write(str("src/ui/LoginDialog.cpp"), dialog);
    tree.write(
        str("src/ui/LoginDialog.h"), "WindowTranslator* createWindowLanguage(QWidget* w, const QStringList& p);\n");
    tree.write(str("src/ui/Other.cpp"), "Other::Other() { auto* t = new WindowTranslator(this, list); }\n");
    Result result = tree.run({}, "# window Form1 MainWindow\nForm1.Caption\n");
    QCOMPARE(result.code, 1);
    const QStringList errors = result.lines().filter(str("error: "));
    QCOMPARE(errors.size(), 2);
    QVERIFY2(
        errors.at(0).startsWith(str("error: src/ui/LoginDialog.cpp: LoginDialog makes a translation component, "
                                    "but its window is not in translatedWindows() (src/ui/TranslatedWindows.cpp)")),
        qPrintable(errors.at(0)));
    QVERIFY(errors.at(1).startsWith(str("error: src/ui/Other.cpp: Other makes")));

    result = tree.run({},
        "# window Form1 MainWindow\nForm1.Caption\n# window PasswdDlg LoginDialog\nPasswdDlg.Caption\n"
        "# window frmOther Other\n");
    QCOMPARE(result.code, 0);
    QVERIFY(result.lines().contains(str("PasswdDlg.Caption")));
}

void TestLngKeys::textShownWithoutPathIsRefused()
{
    Tree tree;
    tree.write(str("src/ui/Options.cpp"), "Options::Options() { translateWindow(this); }\n");
    tree.write(str("lang/Deutsch.lng"), "[Translations]\nfrmOptions.Caption=Optionen\n");
    // The window tool names each text shown without a path; the script refuses every one, also in check mode.
    const QByteArray windows = "# window frmOptions Options\nfrmOptions.Caption=Options\n"
                               "; unnamed: QLabel \"Site rank >:\"\n"
                               "; unnamed: QCheckBox chkPAD \"PAD Polling\"\n";
    for (const QStringList& arguments : {QStringList {}, QStringList {str("--check")}}) {
        const Result result = tree.run(arguments, windows);
        QCOMPARE(result.code, 1);
        const auto error = [](const char* text) {
            return str("error: frmOptions shows a text without a path: ") + str(text)
                + str("; give the object a name (setObjectName) or mark a text the code makes itself with "
                      "WindowTexts::keepCodeText");
        };
        QCOMPARE(result.lines().filter(str("error: ")),
            QStringList({error("QLabel \"Site rank >:\""), error("QCheckBox chkPAD \"PAD Polling\"")}));
    }
    // Named, the window is complete, and translateWindow counts as making its component.
    Result result = tree.run({str("--check")}, "# window frmOptions Options\nfrmOptions.Caption=Options\n");
    QCOMPARE(result.code, 0);
    result = tree.run({}, "# window Form1 MainWindow\nForm1.Caption\n");
    QCOMPARE(result.code, 1);
    QVERIFY2(result.out.contains(str("error: src/ui/Options.cpp: Options makes a translation component")),
        qPrintable(result.out));
}

void TestLngKeys::missingKeysAreListedReadyToFillIn()
{
    Tree tree;
    tree.write(str("src/a.cpp"), "void f() { translateMsg(\"Form saved\"); translateMsg(\"Form loaded\"); }\n");
    const QByteArray windows = "# window Form1 MainWindow\nForm1.Caption=Velmora Submit\nForm1.File1.Caption=&File\n"
                               "; Form1.Gone1.Caption (names nothing in the window)\n";
    tree.write(str("lang/Deutsch.lng"),
        "[translations]\nform1.caption=Velmora Submit\n[MESSAGES]\nFORM SAVED=Formular gespeichert\n"
        "Old text=Alter Text\n");
    Result result = tree.run({str("--check")}, windows);
    QCOMPARE(result.code, 1);
    const QString file = tree.file(str("lang/Deutsch.lng"));
    QCOMPARE(result.lines(),
        QStringList({file + str(": missing in [Translations] (2); add these lines with their translation:"),
            str("    ; English: &File"), str("    Form1.File1.Caption="), str("    Form1.Gone1.Caption="),
            file + str(": missing in [Messages] (1); add these lines with their translation:"), str("    Form loaded="),
            file + str(": warning: line 5: [Messages] \"Old text\" is no longer used by the code")}));

    tree.write(str("lang/Deutsch.lng"),
        "[Translations]\nForm1.Caption=Velmora "
        "Submit\nForm1.File1.Caption=&Datei\nForm1.Gone1.Caption=Weg\n[Messages]\n"
        "Form saved=Formular gespeichert\nForm loaded=Formular geladen\n");
    result = tree.run({str("--check")}, windows);
    QCOMPARE(result.code, 0);
    QCOMPARE(result.lines(),
        QStringList({str("1 language file checked: every key the code uses is there (3 window paths, 2 messages)")}));
}

void TestLngKeys::faultyTranslationsAreReported()
{
    Tree tree;
    tree.write(str("src/a.cpp"),
        "void f() {\n translateMsg(\"Cannot read %1: %2\");\n translateMsg(\"Site %1\");\n"
        " translateMsg(\"Zip Files|*.Zip|All Files|*.*\");\n translateMsg(\"PAD Files|*.Xml|All Files|*.*\");\n"
        " translateMsg(\"Form saved\");\n translateMsg(\"Quoted\");\n translateMsg(\"Saved\");\n}\n");
    tree.write(str("lang/Faulty.lng"),
        "[Translations]\nForm1.File1.Caption=&Da&tei\n[Messages]\n"
        "Cannot read %1: %2=Kann %1 nicht lesen\n"
        "Site %1=Website %1 %2\n"
        "Zip Files|*.Zip|All Files|*.*=Zip-Archive|*.zip|Alle Dateien|*.*\n"
        "PAD Files|*.Xml|All Files|*.*=PAD-Dateien|*.Xml\n"
        "Form saved=\n"
        "Quoted=\"Zitiert\"\n"
        "form SAVED=Formular gespeichert\n"
        "[Messages]\nSaved=Gespeichert\n");
    const Result result
        = tree.run({tree.file(str("lang/Faulty.lng"))}, "# window Form1 MainWindow\nForm1.File1.Caption=&File\n");
    QCOMPARE(result.code, 1);
    const QString file = tree.file(str("lang/Faulty.lng"));
    const QStringList lines = result.lines();
    const auto said = [&lines](const char* text) { return lines.filter(QString::fromUtf8(text)).size() == 1; };
    QVERIFY2(said("line 10: the key \"form SAVED\" is there already (line 8); only the first is read"),
        qPrintable(result.out));
    QVERIFY2(said("line 11: a second [Messages] section is never read"), qPrintable(result.out));
    QVERIFY(said("missing in [Messages] (1)"));
    QVERIFY(said("    Saved="));
    QVERIFY(said("line 2, [Translations] \"Form1.File1.Caption\": more than one \"&\" accelerator marker"));
    QVERIFY(said("line 4, [Messages] \"Cannot read %1: %2\": the translation must hold the placeholders %1 %2 "
                 "exactly as the English text does, has %1"));
    QVERIFY(said("line 5, [Messages] \"Site %1\": the translation must hold the placeholders %1 exactly as the "
                 "English text does, has %1 %2"));
    QVERIFY(said("line 6, [Messages] \"Zip Files|*.Zip|All Files|*.*\": the file pattern \"*.Zip\" must stay as it "
                 "is (the translation has \"*.zip\")"));
    QVERIFY(said("line 7, [Messages] \"PAD Files|*.Xml|All Files|*.*\": a file filter keeps its structure: 4 parts "
                 "separated by \"|\", the translation has 2"));
    QVERIFY(said("line 8, [Messages] \"Form saved\": the translation is empty, so the message would show as nothing"));
    QVERIFY(said("warning: line 9, [Messages] \"Quoted\": the value loses its enclosing quotes when read"));
    for (const QString& line : lines)
        QVERIFY2(line.startsWith(file + str(": ")) || line.startsWith(str("    ")), qPrintable(line));
}

void TestLngKeys::englishFileNeedsNoMessages()
{
    Tree tree;
    tree.write(str("src/a.cpp"), "void f() { translateMsg(\"Form saved\"); }\n");
    tree.write(str("lang/English.lng"), "[Translations]\nForm1.File1.Caption=&File\n");
    const QByteArray windows = "# window Form1 MainWindow\nForm1.File1.Caption\n";
    Result result = tree.run({str("--check")}, windows);
    QCOMPARE(result.code, 0);
    tree.write(str("lang/English.lng"), "[Translations]\nForm1.File1.Caption=&File\n[Messages]\nForm saved=Saved\n");
    result = tree.run({str("--check")}, windows);
    QCOMPARE(result.code, 0);
    QVERIFY2(
        result.out.contains(str("warning: line 4: [Messages] \"Form saved\" is never read")), qPrintable(result.out));
    // Any other language needs them.
    tree.write(str("lang/Other.lng"), "[Translations]\nForm1.File1.Caption=&Fichier\n");
    result = tree.run({str("--check")}, windows);
    QCOMPARE(result.code, 1);
    QVERIFY(result.out.contains(str("Other.lng: missing in [Messages] (1)")));
}

void TestLngKeys::hostileFilesAreReportedNotFatal()
{
    Tree tree;
    // Sources cut off inside a string and inside a comment.
    tree.write(str("src/cut.cpp"), "void f() { translateMsg(\"Fine\"); translateMsg(\"never closed");
    tree.write(str("src/cut2.cpp"), "void g() { translateMsg(\"Also fine\"); /* open comment translateMsg(\"x\")");
    QByteArray binary;
    for (int i = 0; i < 300000; ++i)
        binary.append(static_cast<char>((i * 31 + i / 7) & 0xff));
    tree.write(str("lang/Binary.lng"), binary);
    tree.write(str("lang/Latin.lng"),
        "[Messages]\nFine=Gr\xfc\xdf"
        "e\nAlso fine=ok\n");
    QByteArray deep = "[Messages]\n";
    for (int i = 0; i < 20000; ++i)
        deep += "Key " + QByteArray::number(i) + "=" + QByteArray(200, 'x') + "\n";
    tree.write(str("lang/Huge.lng"), deep);
    const Result result = tree.run({str("--check")});
    QCOMPARE(result.code, 1);
    QVERIFY2(!result.err.contains(str("Traceback")), qPrintable(result.err));
    QVERIFY(result.out.contains(str("Binary.lng: is not valid UTF-8")));
    QVERIFY(result.out.contains(str("Latin.lng: is not valid UTF-8 (byte 18)")));
    QVERIFY(result.out.contains(str("Huge.lng: missing in [Messages] (2)")));
    QVERIFY(result.out.contains(str("Huge.lng: warning: line 20001: [Messages] \"Key 19999\" is no longer used")));
    QVERIFY(tree.messages().contains(str("Fine")));
    QVERIFY(tree.messages().contains(str("Also fine")));
}

void TestLngKeys::missingBuildIsABadStart()
{
    Tree tree;
    QProcess process;
    process.start(qEnvironmentVariable("QUILLET_PYTHON"),
        {qEnvironmentVariable("QUILLET_LNG_KEYS"), str("--source"), tree.file(QString()), str("--build"),
            tree.file(str("no-build"))});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 2);
    const QString err = QString::fromUtf8(process.readAllStandardError());
    QVERIFY2(err.contains(str("quillet-lng-windows not found: build first")), qPrintable(err));
}

QTEST_GUILESS_MAIN(TestLngKeys)
#include "TestLngKeys.moc"
