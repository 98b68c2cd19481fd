#include "DataSelectorRows.h"
#include "EmailSubmission.h"
#include "EmailTemplate.h"
#include "MessageTranslator.h"
#include "PropertyCatalogue.h"
#include "QuilletError.h"
#include "Settings.h"
#include "TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include <sys/stat.h>

namespace {

// The data selector's rows over a catalogue with a company and a program.
struct Rows {
    PropertyCatalogue properties;
    DataSelectorRows rows {properties};

    Rows()
    {
        properties[0].setValue("Acme Ltd");               // Company
        properties[8].setValue("Springfield");            // City
        properties[14].setValue("Tool");                  // Program
        properties[15].setValue("2.5");                   // Version
        properties[16].setValue("http://acme.test/tool"); // Prog URL
        rows.fillCaptions();
        rows.refreshData();
    }
};

QString expand(const QString& text)
{
    Rows r;
    return EmailTemplate::expand(text, r.rows);
}

QString errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const QuilletError& error) {
        return error.text();
    }
    return QString();
}

} // namespace

class TestEmailTemplate : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void submitTakesThePerSiteTemplateThenTheGenericOne();
    void updatePrefersItsOwnThenTheSubmitTemplate();
    void siteNameGoesIntoTheFileNameUnchangedButNeverLeavesTheFolder();
    void templateIsReadInEitherEncodingWithAnyLineEnds();
    void templateThatCannotBeOpened_data();
    void templateThatCannotBeOpened();
    void expansionQuirks_data();
    void expansionQuirks();
    void valuesBroughtInAreReplacedByLaterRowsOnly();
    void expansionUsesTheRowsNotTheCatalogue();
    void captionsAreTranslated();
    void expansionThatWouldExplodeStops();
    void composeSplitsSubjectAndBody();
    void composeOfNothingShowsNothing();
    void pageOutcomes();
    void friendlyRequestOutcomes();
};

void TestEmailTemplate::submitTakesThePerSiteTemplateThenTheGenericOne()
{
    TestProgramDirectory dir;
    const QString generic = dir.path() + "SiteData/EmailTemplate.txt";
    // Without any file the generic name is taken all the same.
    QCOMPARE(EmailTemplate::submitTemplate(dir.path(), "Acme"), generic);
    dir.writeFile("SiteData/EmailTemplate.txt", "generic");
    QCOMPARE(EmailTemplate::submitTemplate(dir.path(), "Acme"), generic);
    dir.writeFile("SiteData/AcmeEmailTemplate.txt", "own");
    QCOMPARE(EmailTemplate::submitTemplate(dir.path(), "Acme"), dir.path() + "SiteData/AcmeEmailTemplate.txt");
    // The site's update template is no submit template.
    dir.writeFile("SiteData/BetaUpdateEmailTemplate.txt", "update");
    QCOMPARE(EmailTemplate::submitTemplate(dir.path(), "Beta"), generic);
    // A folder of the per-site name is no template.
    QVERIFY(QDir().mkpath(dir.path() + "SiteData/GammaEmailTemplate.txt"));
    QCOMPARE(EmailTemplate::submitTemplate(dir.path(), "Gamma"), generic);
}

void TestEmailTemplate::updatePrefersItsOwnThenTheSubmitTemplate()
{
    TestProgramDirectory dir;
    const QString generic = dir.path() + "SiteData/EmailTemplate.txt";
    QCOMPARE(EmailTemplate::updateTemplate(dir.path(), "Acme"), generic);
    dir.writeFile("SiteData/AcmeEmailTemplate.txt", "submit");
    QCOMPARE(EmailTemplate::updateTemplate(dir.path(), "Acme"), dir.path() + "SiteData/AcmeEmailTemplate.txt");
    dir.writeFile("SiteData/AcmeUpdateEmailTemplate.txt", "update");
    QCOMPARE(EmailTemplate::updateTemplate(dir.path(), "Acme"), dir.path() + "SiteData/AcmeUpdateEmailTemplate.txt");
    QCOMPARE(
        EmailTemplate::friendlyRequestTemplate(dir.path()), dir.path() + "SiteData/VelmoraFriendlyNoticeTemplate.txt");
}

void TestEmailTemplate::siteNameGoesIntoTheFileNameUnchangedButNeverLeavesTheFolder()
{
    TestProgramDirectory dir;
    // Characters a cleaned file name would lose stay in the template's name.
    const QString odd = "Zed's *Best*: Files?";
    dir.writeFile("SiteData/" + odd + "EmailTemplate.txt", "odd");
    QCOMPARE(EmailTemplate::submitTemplate(dir.path(), odd), dir.path() + "SiteData/" + odd + "EmailTemplate.txt");
    // Case matters: the file of another spelling is not the site's.
    QCOMPARE(EmailTemplate::submitTemplate(dir.path(), odd.toUpper()), dir.path() + "SiteData/EmailTemplate.txt");
    // A name that would climb out of the folder finds the file outside, so it names none.
    dir.writeFile("outsideEmailTemplate.txt", "secret");
    QVERIFY(QFile::exists(dir.path() + "SiteData/../outsideEmailTemplate.txt"));
    QCOMPARE(EmailTemplate::submitTemplate(dir.path(), "../outside"), dir.path() + "SiteData/EmailTemplate.txt");
    QCOMPARE(EmailTemplate::updateTemplate(dir.path(), "../outside"), dir.path() + "SiteData/EmailTemplate.txt");
    QCOMPARE(EmailTemplate::perSiteTemplate(dir.path(), QString("A\nB"), "EmailTemplate.txt"), QString());
}

void TestEmailTemplate::templateIsReadInEitherEncodingWithAnyLineEnds()
{
    TestProgramDirectory dir;
    dir.writeFile("utf8.txt",
        "\xEF\xBB\xBF"
        "Gr\xC3\xBC\xC3\x9F"
        "e\r\nsecond\nthird\rfourth\r\n\r\nlast");
    QCOMPARE(EmailTemplate::load(dir.file("utf8.txt")),
        QStringList({QString::fromUtf8("Grüße"), "second", "third", "fourth", "", "last"}));
    // Not valid UTF-8: Windows-1252, where 0x80 is the euro sign.
    dir.writeFile("cp1252.txt",
        "caf\xE9 \x80"
        "5\r\n");
    QCOMPARE(EmailTemplate::load(dir.file("cp1252.txt")), QStringList({QString::fromUtf8("café €5")}));
    dir.writeFile("empty.txt", "");
    QCOMPARE(EmailTemplate::load(dir.file("empty.txt")), QStringList());
}

void TestEmailTemplate::templateThatCannotBeOpened_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing") << "missing";
    QTest::newRow("folder") << "folder";
    QTest::newRow("pipe") << "pipe";
    QTest::newRow("device") << "device";
    QTest::newRow("huge") << "huge";
}

void TestEmailTemplate::templateThatCannotBeOpened()
{
    QFETCH(QString, kind);
    TestProgramDirectory dir;
    QString path = dir.file("SiteData/EmailTemplate.txt");
    QDir().mkpath(dir.path() + "SiteData");
    if (kind == "folder")
        QVERIFY(QDir().mkpath(path));
    else if (kind == "pipe")
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else if (kind == "device")
        path = "/dev/zero";
    QElapsedTimer timer;
    timer.start();
    if (kind == "huge") {
        // A sparse file: large to read, nothing on the disk.
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(EmailTemplate::MaxFileSize + 1));
        file.close();
        QCOMPARE(errorOf([&] { EmailTemplate::load(path); }), "The template " + path + " is larger than 16 MB.");
        return;
    }
    QCOMPARE(errorOf([&] { EmailTemplate::load(path); }), "Cannot open file " + path);
    // A pipe without writer or an endless device must not hold the command.
    QVERIFY(timer.elapsed() < 5000);
}

void TestEmailTemplate::expansionQuirks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expanded");
    QTest::newRow("company") << "Dear %Company%,"
                             << "Dear Acme Ltd,";
    QTest::newRow("double percent") << "100%% free"
                                    << "100 free";
    QTest::newRow("three percent") << "50%%%"
                                   << "50%";
    QTest::newRow("wrong case") << "%company% %PROGRAM%"
                                << "%company% %PROGRAM%";
    QTest::newRow("program pair") << "%Program%%Version%"
                                  << "%ProgramVersion%";
    QTest::newRow("company pair") << "%Company%%City%"
                                  << "Acme LtdSpringfield";
    QTest::newRow("program and version apart") << "%Program% %Version%"
                                               << "Tool 2.5";
    QTest::newRow("unknown") << "%Nothing% here"
                             << "%Nothing% here";
    QTest::newRow("caption with blank") << "<%Prog URL%>"
                                        << "<http://acme.test/tool>";
    QTest::newRow("lone percent") << "5% off %Version"
                                  << "5% off %Version";
    QTest::newRow("line ends kept") << "a\r\n%Version%\r\n"
                                    << "a\r\n2.5\r\n";
    // Every use of a placeholder is replaced, not the first only.
    QTest::newRow("one placeholder twice") << "%Version% and again %Version%."
                                           << "2.5 and again 2.5.";
    QTest::newRow("twice, side by side") << "%Company%%Company%"
                                         << "Acme LtdAcme Ltd";
}

void TestEmailTemplate::expansionQuirks()
{
    QFETCH(QString, text);
    QFETCH(QString, expanded);
    QCOMPARE(expand(text), expanded);
}

void TestEmailTemplate::valuesBroughtInAreReplacedByLaterRowsOnly()
{
    Rows r;
    // Row 14 (Program) brings in a placeholder of row 15, which comes later.
    r.rows.setValue(14, "Tool %Version%");
    // Row 15 (Version) brings in one of row 0 and one of row 16.
    r.rows.setValue(15, "v%Company%-%Prog URL%");
    QCOMPARE(EmailTemplate::expand("%Program%", r.rows), QString("Tool v%Company%-http://acme.test/tool"));
}

void TestEmailTemplate::expansionUsesTheRowsNotTheCatalogue()
{
    Rows r;
    r.properties[15].setValue("9.9"); // not yet refreshed into the rows
    QCOMPARE(EmailTemplate::expand("%Version%", r.rows), QString("2.5"));
    r.rows.loadProgramData();
    QCOMPARE(EmailTemplate::expand("%Version%", r.rows), QString("9.9"));
}

void TestEmailTemplate::captionsAreTranslated()
{
    TestProgramDirectory dir;
    dir.writeFile("Deutsch.lng", "[Messages]\nProgram=Programm\nCompany=Firma\n");
    PropertyCatalogue properties;
    Settings config(dir.path(), properties);
    config.language = "Deutsch";
    useLanguageOf(&config);
    Rows r;
    useLanguageOf(nullptr);
    QCOMPARE(r.rows.caption(14), QString("Programm"));
    // Placeholders in the language in force and in English both expand.
    QCOMPARE(EmailTemplate::expand("%Programm% %Program% %Firma% %Company% %Version% %programm%", r.rows),
        QString("Tool Tool Acme Ltd Acme Ltd 2.5 %programm%"));
}

void TestEmailTemplate::expansionThatWouldExplodeStops()
{
    Rows r;
    // Each program row's value names the next row's placeholder a hundred
    // times: 33 rows would make 100^32 copies.
    for (int row = 14; row < 46; ++row)
        r.rows.setValue(row, QString("%" + r.rows.caption(row + 1) + "%").repeated(100));
    QElapsedTimer timer;
    timer.start();
    const QString error = errorOf([&] { EmailTemplate::expand("%Program%", r.rows); });
    QVERIFY2(error.contains("grows beyond"), qPrintable(error));
    QVERIFY(timer.elapsed() < 10000);
    // A text that stays within bounds expands in full.
    r.rows.setValue(46, "x");
    QCOMPARE(EmailTemplate::expand("%Changes%", r.rows), QString(100, 'x'));
}

void TestEmailTemplate::composeSplitsSubjectAndBody()
{
    TestProgramDirectory dir;
    Rows r;
    dir.writeFile("t.txt", "New: %Program% %Version%\nDear editor,\r\n\r\n%Prog URL%\rBye");
    std::optional<MailDraft> draft = EmailSubmission::composeFromTemplate("ed@site.test", dir.file("t.txt"), r.rows);
    QVERIFY(draft);
    QCOMPARE(draft->to, QString("ed@site.test"));
    QCOMPARE(draft->subject, QString("New: Tool 2.5"));
    QCOMPARE(draft->body, QString("Dear editor,\r\n\r\nhttp://acme.test/tool\r\nBye\r\n"));
    QCOMPARE(draft->cc, QString());

    // One line: the subject, and an empty body.
    dir.writeFile("one.txt", "Only %Program%");
    draft = EmailSubmission::composeFromTemplate("x@y.test", dir.file("one.txt"), r.rows);
    QVERIFY(draft);
    QCOMPARE(draft->subject, QString("Only Tool"));
    QCOMPARE(draft->body, QString());

    // A value with a line break in the first line splits it: the rest is body.
    r.rows.setValue(14, "Tool\r\nSecond");
    draft = EmailSubmission::composeFromTemplate("x@y.test", dir.file("one.txt"), r.rows);
    QCOMPARE(draft->subject, QString("Only Tool"));
    QCOMPARE(draft->body, QString("Second\r\n"));
}

void TestEmailTemplate::composeOfNothingShowsNothing()
{
    TestProgramDirectory dir;
    Rows r;
    dir.writeFile("empty.txt", "");
    QVERIFY(!EmailSubmission::composeFromTemplate("x@y.test", dir.file("empty.txt"), r.rows));
    // A line that expands to nothing is still a line: an empty subject.
    dir.writeFile("percent.txt", "%%");
    const std::optional<MailDraft> draft
        = EmailSubmission::composeFromTemplate("x@y.test", dir.file("percent.txt"), r.rows);
    QVERIFY(draft);
    QCOMPARE(draft->subject, QString());
}

void TestEmailTemplate::pageOutcomes()
{
    TestProgramDirectory dir;
    Rows r;
    EmailSubmission::Site site {"Acme", "http://acme.test/submit", "updates@acme.test", "", false};
    EmailSubmission::Result result = EmailSubmission::prepare(EmailSubmission::Page::Submit, site, dir.path(), r.rows);
    QCOMPARE(result.outcome, EmailSubmission::Outcome::NotEmail);

    // The update address is a mail address, but no template exists.
    QCOMPARE(errorOf([&] { EmailSubmission::prepare(EmailSubmission::Page::Update, site, dir.path(), r.rows); }),
        "Cannot open file " + dir.path() + "SiteData/EmailTemplate.txt");

    dir.writeFile("SiteData/EmailTemplate.txt", "Generic %Program%\nbody");
    dir.writeFile("SiteData/AcmeEmailTemplate.txt", "Acme submit %Program%\nbody");
    result = EmailSubmission::prepare(EmailSubmission::Page::Update, site, dir.path(), r.rows);
    QCOMPARE(result.outcome, EmailSubmission::Outcome::Compose);
    QCOMPARE(result.draft.to, QString("updates@acme.test"));
    QCOMPARE(result.draft.subject, QString("Acme submit Tool"));

    // Any address with an at sign is taken for a mail address.
    site.submitLink = "http://user@acme.test/form";
    result = EmailSubmission::prepare(EmailSubmission::Page::Submit, site, dir.path(), r.rows);
    QCOMPARE(result.outcome, EmailSubmission::Outcome::Compose);
    QCOMPARE(result.draft.to, QString("http://user@acme.test/form"));

    dir.writeFile("SiteData/AcmeEmailTemplate.txt", "");
    result = EmailSubmission::prepare(EmailSubmission::Page::Submit, site, dir.path(), r.rows);
    QCOMPARE(result.outcome, EmailSubmission::Outcome::NothingToShow);
}

void TestEmailTemplate::friendlyRequestOutcomes()
{
    TestProgramDirectory dir;
    Rows r;
    EmailSubmission::Site site {"Acme", "submit@acme.test", "submit@acme.test", "", false};
    const auto outcome
        = [&] { return EmailSubmission::prepare(EmailSubmission::Page::Friendly, site, dir.path(), r.rows).outcome; };
    // No mail address (the submit address does not count), no template: nothing at all.
    QCOMPARE(outcome(), EmailSubmission::Outcome::NoRequest);
    site.emailLink = "editor@acme.test";
    QCOMPARE(outcome(), EmailSubmission::Outcome::NoRequest);
    dir.writeFile("SiteData/VelmoraFriendlyNoticeTemplate.txt", "Please support %Program%\nThanks");
    QCOMPARE(outcome(), EmailSubmission::Outcome::Compose);
    const EmailSubmission::Result result
        = EmailSubmission::prepare(EmailSubmission::Page::Friendly, site, dir.path(), r.rows);
    QCOMPARE(result.draft.to, QString("editor@acme.test"));
    QCOMPARE(result.draft.subject, QString("Please support Tool"));
    QCOMPARE(result.draft.body, QString("Thanks\r\n"));
    site.velmoraFriendly = true;
    QCOMPARE(outcome(), EmailSubmission::Outcome::AlreadyFriendly);
    QCOMPARE(EmailSubmission::alreadyFriendlyMessage(), QString("This site is already velmora friendly."));
}

QTEST_GUILESS_MAIN(TestEmailTemplate)
#include "TestEmailTemplate.moc"
