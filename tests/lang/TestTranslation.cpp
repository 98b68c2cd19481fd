#include "DataSelectorRows.h"
#include "Helpers.h"
#include "LanguageFile.h"
#include "MessageTranslator.h"
#include "ProgramSession.h"
#include "TestSupport.h"

#include <QFile>
#include <QTest>
#include <QThread>

class TestTranslation : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void englishOpensNoFile();
    void messagesTranslatedCaseInsensitively();
    void quotedValuesLoseTheirQuotes();
    void missingFileOrKeyStaysEnglish();
    void changedFileSeenAtNextCall();
    void windows1252LanguageFile();
    void languageFileThatIsAFifoIsEmpty();
    void lowerLayersTranslateThroughTheHook();
    void dataSelectorCaptionsTranslated();
};

void TestTranslation::englishOpensNoFile()
{
    TestProgramDirectory dir;
    dir.writeFile("English.lng", "[Messages]\nForm saved=Gespeichert\n");
    ProgramSession session(dir.path());
    session.start();
    useLanguageOf(&session.config());
    QCOMPARE(session.config().language, QString("English"));
    QCOMPARE(translateMsg("Form saved"), QString("Form saved"));
    // Letter case counts for the name "English": "english" reads english.lng.
    dir.writeFile("english.lng", "[Messages]\nForm saved=Stored\n");
    session.config().language = "english";
    QCOMPARE(translateMsg("Form saved"), QString("Stored"));
    useLanguageOf(nullptr);
}

void TestTranslation::messagesTranslatedCaseInsensitively()
{
    TestProgramDirectory dir;
    dir.writeFile("Deutsch.lng",
        "[Translations]\nfrmData.Caption=Daten\n[MESSAGES]\nform SAVED=Formular gespeichert\n"
        "Connect to the Internet now?=Jetzt verbinden?\n");
    LanguageFile::open(dir.file("Deutsch.lng"));
    QCOMPARE(lookupMessage(dir.file("Deutsch.lng"), "Form saved"), QString("Formular gespeichert"));
    QCOMPARE(lookupMessage(dir.file("Deutsch.lng"), "Connect to the internet NOW?"), QString("Jetzt verbinden?"));
    // A blank or a punctuation mark more is another message.
    QCOMPARE(lookupMessage(dir.file("Deutsch.lng"), "Form saved."), QString("Form saved."));
    QCOMPARE(lookupMessage(dir.file("Deutsch.lng"), "Form  saved"), QString("Form  saved"));
    // Window texts are not messages.
    QCOMPARE(lookupMessage(dir.file("Deutsch.lng"), "frmData.Caption"), QString("frmData.Caption"));
    const QString* caption = LanguageFile::open(dir.file("Deutsch.lng"))->translation("FRMDATA.caption");
    QVERIFY(caption);
    QCOMPARE(*caption, QString("Daten"));
}

void TestTranslation::quotedValuesLoseTheirQuotes()
{
    TestProgramDirectory dir;
    dir.writeFile("x.lng", "[Messages]\nOne=\"  Eins  \"\nTwo='Zwei'\nThree=\"Drei'\nFour=Vier \"quoted\"\n");
    const QString file = dir.file("x.lng");
    QCOMPARE(lookupMessage(file, "One"), QString("  Eins  "));
    QCOMPARE(lookupMessage(file, "Two"), QString("Zwei"));
    QCOMPARE(lookupMessage(file, "Three"), QString("\"Drei'"));
    QCOMPARE(lookupMessage(file, "Four"), QString("Vier \"quoted\""));
}

void TestTranslation::missingFileOrKeyStaysEnglish()
{
    TestProgramDirectory dir;
    ProgramSession session(dir.path());
    session.start();
    session.config().language = "Missing";
    useLanguageOf(&session.config());
    QCOMPARE(translateMsg("Form loaded"), QString("Form loaded"));
    dir.writeFile("Missing.lng", "[Messages]\nForm saved=Gespeichert\n");
    QCOMPARE(translateMsg("Form saved"), QString("Gespeichert"));
    QCOMPARE(translateMsg("Form loaded"), QString("Form loaded"));
    dir.writeFile("Missing.lng", "[Translations]\nForm saved=Gespeichert\n");
    QCOMPARE(translateMsg("Form saved"), QString("Form saved"));
    useLanguageOf(nullptr);
    QCOMPARE(translateMsg("Form saved"), QString("Form saved"));
}

void TestTranslation::changedFileSeenAtNextCall()
{
    TestProgramDirectory dir;
    const QString file = dir.file("Deutsch.lng");
    dir.writeFile("Deutsch.lng", "[Messages]\nLoading=Laden\n");
    QCOMPARE(lookupMessage(file, "Loading"), QString("Laden"));
    // Same size, new content: the modification time tells the change.
    QThread::msleep(20);
    dir.writeFile("Deutsch.lng", "[Messages]\nLoading=Lädt\n");
    QCOMPARE(lookupMessage(file, "Loading"), QString::fromUtf8("Lädt"));
    QFile::remove(file);
    QCOMPARE(lookupMessage(file, "Loading"), QString("Loading"));
}

void TestTranslation::windows1252LanguageFile()
{
    TestProgramDirectory dir;
    dir.writeFile("Francais.lng",
        "[Messages]\nLoading=T\xe9l\xe9"
        "chargement\n");
    QCOMPARE(lookupMessage(dir.file("Francais.lng"), "Loading"), QString::fromUtf8("Téléchargement"));
}

void TestTranslation::languageFileThatIsAFifoIsEmpty()
{
    TestProgramDirectory dir;
    TestFifo fifo(dir.file("Deutsch.lng"));
    std::shared_ptr<const LanguageFile> language;
    QVERIFY(fifo.returnsPromptly([&] { language = LanguageFile::open(fifo.path()); }));
    QVERIFY(language);
    QVERIFY(language->isEmpty());
    QCOMPARE(language->message("does not exist."), QString("does not exist."));
}

void TestTranslation::lowerLayersTranslateThroughTheHook()
{
    TestProgramDirectory dir;
    dir.writeFile(
        "Deutsch.lng", "[Messages]\nCould not start your Internet browser=Kein Browser\nLaunch Error=Startfehler\n");
    ProgramSession session(dir.path());
    session.start();
    session.config().language = "Deutsch";
    useLanguageOf(&session.config());
    installUrlLauncher([](const QString&) { return false; });
    RecordingMessageSink sink;
    QVERIFY(!openUrl("https://example.test/", false));
    QCOMPARE(sink.messages.size(), 1);
    QCOMPARE(sink.messages.first().text, QString("Kein Browser"));
    QCOMPARE(sink.messages.first().title, QString("Startfehler"));
    useLanguageOf(nullptr);
}

void TestTranslation::dataSelectorCaptionsTranslated()
{
    TestProgramDirectory dir;
    dir.writeFile("Deutsch.lng", "[Messages]\nCompany=Firma\nProgram=Programm\n");
    ProgramSession session(dir.path());
    session.start();
    session.config().language = "Deutsch";
    useLanguageOf(&session.config());
    session.properties()[0].setValue("Acme");
    session.properties()[14].setValue("Tool");
    DataSelectorRows rows(session.properties());
    rows.fillCaptions();
    QCOMPARE(rows.caption(0), QString("Firma"));
    QCOMPARE(rows.caption(14), QString("Programm"));
    QCOMPARE(rows.caption(13), QString());
    QCOMPARE(rows.caption(46), QString("PAD Path"));
    QCOMPARE(rows.rowOfCaption("Programm"), 14);
    // The English caption names the same row, so English form maps still fill.
    QCOMPARE(rows.englishCaption(14), QString("Program"));
    QCOMPARE(rows.rowOfCaption("Program"), 14);
    QCOMPARE(rows.rowOfCaption("program"), -1);
    // Values are copies, taken only when the rows are refreshed.
    QCOMPARE(rows.value(14), QString());
    rows.loadProgramData();
    QCOMPARE(rows.value(14), QString("Tool"));
    QCOMPARE(rows.value(0), QString());
    session.properties()[14].setValue("Other");
    QCOMPARE(rows.value(14), QString("Tool"));
    rows.refreshData();
    QCOMPARE(rows.value(0), QString("Acme"));
    QCOMPARE(rows.value(14), QString("Other"));
    useLanguageOf(nullptr);
}

QTEST_GUILESS_MAIN(TestTranslation)
#include "TestTranslation.moc"
