#include "AboutDialog.h"
#include "HelpPages.h"
#include "HelpWindow.h"
#include "Helpers.h"
#include "LanguageSwitch.h"
#include "MessageTranslator.h"
#include "ProgramSession.h"
#include "TestSupport.h"
#include "UiTranslation.h"
#include "WindowTranslator.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QString labelText(QWidget* window, const char* name)
{
    auto* label = window->findChild<QLabel*>(QString::fromLatin1(name));
    return label ? label->text() : QStringLiteral("<missing %1>").arg(QString::fromLatin1(name));
}

QString resourceText(const QString& page)
{
    QFile file(":/help/" + page);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QStringList comboItems(const QComboBox* combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

const QByteArray kGerman = "[Translations]\n"
                           "AboutBox.Caption=Über Velmora Submit\n"
                           "aboutbox.copyright.CAPTION=Alle Rechte vorbehalten\n"
                           "AboutBox.Label1.Caption=Übersetzt von Anna\n"
                           "AboutBox.OKButton.Caption=Gut\n"
                           "AboutBox.Version.Caption=Fassung\n"
                           "[Messages]\n"
                           "Version=Fassung\n"
                           "Build=Ausgabe\n";

} // namespace

class TestBasicWindows : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup();

    void aboutBoxInEnglish();
    void aboutBoxTranslated();
    void aboutBoxLinkOpensTheHomePage();
    void aboutBoxClosesWithEnterAndEsc();

    void widgetPropertiesTranslated();

    void helpTopicsAndContexts();
    void helpPagesLinkOnlyToExistingPages();
    void helpIndexFindsKeywords();
    void helpWindowIsReused();
    void helpInTheLanguageInForce_data();
    void helpInTheLanguageInForce();
    void helpPagesFallBackToEnglishPageByPage();
};

void TestBasicWindows::cleanup()
{
    useLanguageOf(nullptr);
    installUrlLauncher({});
}

void TestBasicWindows::aboutBoxInEnglish()
{
    TestProgramDirectory dir;
    // A language file named English is not read when the language is English.
    dir.writeFile("English.lng", kGerman);
    ProgramSession session(dir.path());
    session.start();
    useLanguageOf(&session.config());
    AboutDialog box(session.config());

    QCOMPARE(box.objectName(), QString("AboutBox"));
    QCOMPARE(box.windowTitle(), QString("About Velmora Submit"));
    QCOMPARE(labelText(&box, "Version"), QString("Version 3.20"));
    QCOMPARE(labelText(&box, "lblBuild"), QString("Build 3.200"));
    QVERIFY(labelText(&box, "Version") != QString());
    QVERIFY(box.findChild<QLabel*>("Version")->font().bold());
    QVERIFY(labelText(&box, "ProductName").startsWith("Velmora Submit"));
    QCOMPARE(labelText(&box, "Label1"), QString());
    QCOMPARE(box.findChild<QLabel*>("Label1")->palette().color(QPalette::WindowText), QColor(Qt::red));
    QVERIFY(labelText(&box, "lblHomePage").contains(AboutDialog::makerHomePage()));
    auto* ok = box.findChild<QPushButton*>("OKButton");
    QVERIFY(ok);
    QCOMPARE(ok->text(), QString("OK"));
    QVERIFY(ok->isDefault());
    QCOMPARE(box.layout()->sizeConstraint(), QLayout::SetFixedSize);
    QCOMPARE(box.language()->objectName(), QString("Language1"));
    QCOMPARE(box.language()->properties().size(), 6);
    QCOMPARE(box.language()->languageFile(), dir.file("English.lng"));
    QCOMPARE(AboutDialog::programVersion(), 3.2);
}

void TestBasicWindows::aboutBoxTranslated()
{
    TestProgramDirectory dir;
    dir.writeFile("Deutsch.lng", kGerman);
    ProgramSession session(dir.path());
    session.start();
    session.config().language = "Deutsch";
    useLanguageOf(&session.config());
    AboutDialog box(session.config());

    QCOMPARE(box.windowTitle(), QString("Über Velmora Submit"));
    QCOMPARE(labelText(&box, "Copyright"), QString("Alle Rechte vorbehalten"));
    QCOMPARE(labelText(&box, "Label1"), QString("Übersetzt von Anna"));
    QCOMPARE(box.findChild<QPushButton*>("OKButton")->text(), QString("Gut"));
    // The version labels keep their numbers with the translated words.
    QCOMPARE(labelText(&box, "Version"), QString("Fassung 3.20"));
    QCOMPARE(labelText(&box, "lblBuild"), QString("Ausgabe 3.200"));
}

void TestBasicWindows::aboutBoxLinkOpensTheHomePage()
{
    TestProgramDirectory dir;
    ProgramSession session(dir.path());
    session.start();
    RecordingMessageSink sink;
    QStringList opened;
    installUrlLauncher([&opened](const QString& address) {
        opened << address;
        return true;
    });
    AboutDialog box(session.config());
    auto* link = box.findChild<QLabel*>("lblHomePage");
    QVERIFY(link);
    QVERIFY(!link->openExternalLinks());
    Q_EMIT link->linkActivated(AboutDialog::makerHomePage());
    QCOMPARE(opened, QStringList {AboutDialog::makerHomePage()});
    QVERIFY(AboutDialog::makerHomePage().endsWith("/?quilletexe"));
    // Opened without asking first.
    QVERIFY(sink.questions.isEmpty());
}

void TestBasicWindows::aboutBoxClosesWithEnterAndEsc()
{
    TestProgramDirectory dir;
    ProgramSession session(dir.path());
    session.start();
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
        AboutDialog box(session.config());
        bool shown = false;
        QTimer::singleShot(0, &box, [&box, &shown, key] {
            shown = box.isVisible();
            QTest::keyClick(&box, key);
        });
        const int result = box.exec();
        QVERIFY(shown);
        QCOMPARE(result, key == Qt::Key_Escape ? int(QDialog::Rejected) : int(QDialog::Accepted));
    }
}

void TestBasicWindows::widgetPropertiesTranslated()
{
    TestProgramDirectory dir;
    dir.writeFile("Deutsch.lng",
        "[Translations]\n"
        "frmTest.Caption=Test\n"
        "frmTest.cboOS.Items=Windows; Linux\n"
        "frmTest.cboLicense.Items=Testversion;Freeware;;\n"
        "frmTest.lstKinds.Items=eins;zwei\n"
        "frmTest.tabCompany.Caption=Firma\n"
        "frmTest.edtName.Caption=Überschrieben\n"
        "frmTest.File1.Caption=&Datei\n"
        "frmTest.Exit1.Caption=&Beenden\n"
        "frmTest.btnGo.Hint=Los geht's\n"
        "frmOther.Label1.Caption=Anderes Fenster\n");

    QWidget window;
    window.setObjectName("frmTest");
    auto* layout = new QVBoxLayout(&window);
    auto* os = new QComboBox(&window);
    os->setObjectName("cboOS");
    os->setEditable(true);
    os->addItems({"Win", "Unix", "Mac"});
    os->setEditText("Typed by the user");
    layout->addWidget(os);
    auto* license = new QComboBox(&window);
    license->setObjectName("cboLicense");
    license->addItems({"Shareware", "Freeware", "Demo"});
    license->setCurrentIndex(1);
    layout->addWidget(license);
    auto* kinds = new QListWidget(&window);
    kinds->setObjectName("lstKinds");
    kinds->addItems({"one"});
    layout->addWidget(kinds);
    auto* tabs = new QTabWidget(&window);
    auto* company = new QWidget;
    company->setObjectName("tabCompany");
    tabs->addTab(company, "Company Details");
    auto* name = new QLineEdit("Typed name", company);
    name->setObjectName("edtName");
    layout->addWidget(tabs);
    auto* go = new QPushButton("Go", &window);
    go->setObjectName("btnGo");
    layout->addWidget(go);
    auto* menu = new QMenu("&File", &window);
    menu->setObjectName("File1");
    QAction* exit = menu->addAction("E&xit");
    exit->setObjectName("Exit1");

    QWidget other;
    other.setObjectName("frmOther");
    auto* otherLabel = new QLabel("Other window", &other);
    otherLabel->setObjectName("Label1");

    WindowTranslator* language = createWindowLanguage(&window,
        {"frmTest.Caption", "frmTest.cboOS.Items", "frmTest.cboLicense.Items", "frmTest.lstKinds.Items",
            "frmTest.tabCompany.Caption", "frmTest.edtName.Caption", "frmTest.File1.Caption", "frmTest.Exit1.Caption",
            "frmTest.btnGo.Hint", "frmOther.Label1.Caption"});
    QCOMPARE(language->objectName(), QString("Language1"));
    QCOMPARE(language->separator(), QString(";"));
    language->setLanguageFile(dir.file("Deutsch.lng"));
    QVERIFY(language->translate());

    QCOMPARE(window.windowTitle(), QString("Test"));
    QCOMPARE(comboItems(os), QStringList({"Windows", "Linux"}));
    // An editable box keeps the text the user typed.
    QCOMPARE(os->currentText(), QString("Typed by the user"));
    QCOMPARE(comboItems(license), QStringList({"Testversion", "Freeware", ""}));
    // A drop-down list keeps its position.
    QCOMPARE(license->currentIndex(), 1);
    QCOMPARE(kinds->count(), 2);
    QCOMPARE(kinds->item(1)->text(), QString("zwei"));
    QCOMPARE(tabs->tabText(0), QString("Firma"));
    // An editor's text is the user's, not a caption.
    QCOMPARE(name->text(), QString("Typed name"));
    QCOMPARE(menu->title(), QString("&Datei"));
    QCOMPARE(exit->text(), QString("&Beenden"));
    QCOMPARE(go->toolTip(), QString("Los geht's"));
    QCOMPARE(go->statusTip(), QString("Los geht's"));
    QCOMPARE(go->text(), QString("Go"));
    // Another top-level window is reached by its name.
    QCOMPARE(otherLabel->text(), QString("Anderes Fenster"));
}

void TestBasicWindows::helpTopicsAndContexts()
{
    HelpWindow help;
    const QList<HelpWindow::Topic>& topics = help.topics();
    const QStringList listed = resourceText("topics.txt").split('\n', Qt::SkipEmptyParts).filter(".html");
    QCOMPARE(topics.size(), listed.size());
    QVERIFY(topics.size() >= 10);
    QCOMPARE(topics.first().page, QString("index.html"));
    for (const HelpWindow::Topic& topic : topics) {
        QVERIFY2(!topic.title.isEmpty() && topic.title != topic.page, qPrintable(topic.page));
        QVERIFY2(!topic.keywords.isEmpty(), qPrintable(topic.page));
    }
    auto* contents = help.findChild<QTreeWidget*>("helpContents");
    QCOMPARE(contents->topLevelItemCount(), topics.size());

    const QList<QPair<int, QString>> contexts {
        {10, "main-window.html"}, {30, "sites-and-data.html"}, {40, "editor.html"}, {1580, "updates.html"}};
    for (const auto& context : contexts) {
        QCOMPARE(help.pageForContext(context.first), context.second);
        QVERIFY(help.openContext(context.first));
        QCOMPARE(help.currentPage(), QUrl("qrc:/help/" + context.second));
        auto* browser = help.findChild<QTextBrowser*>("helpBrowser");
        QVERIFY(!browser->toPlainText().trimmed().isEmpty());
        QCOMPARE(contents->currentItem()->data(0, Qt::UserRole).toString(), context.second);
    }
    // An unknown number falls back to the contents page.
    QVERIFY(!help.openContext(77));
    QCOMPARE(help.currentPage(), QUrl("qrc:/help/index.html"));
}

void TestBasicWindows::helpPagesLinkOnlyToExistingPages()
{
    HelpWindow::initResources();
    const QRegularExpression link("href=\"([^\"]*)\"");
    int links = 0;
    const QStringList listed = resourceText("topics.txt").split('\n', Qt::SkipEmptyParts).filter(".html");
    // The English pages, then each translation's.
    for (const QString& folder : {QString(), QString("de/"), QString("fr/")}) {
        for (const QString& raw : listed) {
            const QString page = folder + raw.trimmed();
            const QString html = resourceText(page);
            QVERIFY2(!html.isEmpty(), qPrintable(page));
            auto it = link.globalMatch(html);
            while (it.hasNext()) {
                const QString target = it.next().captured(1).section('#', 0, 0);
                QVERIFY2(QFile::exists(":/help/" + folder + target), qPrintable(page + " -> " + target));
                ++links;
            }
            // Every page can be reached from the contents page.
            if (raw.trimmed() != "index.html")
                QVERIFY2(
                    resourceText(folder + "index.html").contains("href=\"" + raw.trimmed() + "\""), qPrintable(page));
        }
    }
    QVERIFY(links > 60);
}

void TestBasicWindows::helpIndexFindsKeywords()
{
    HelpWindow help;
    help.show();
    help.openIndex();
    auto* tabs = help.findChild<QTabWidget*>("helpTabs");
    QCOMPARE(tabs->currentIndex(), 1);
    auto* index = help.findChild<QListWidget*>("helpIndex");
    auto* filter = help.findChild<QLineEdit*>("helpIndexFilter");
    QVERIFY(index->count() > 50);
    for (int i = 1; i < index->count(); ++i)
        QVERIFY(QString::compare(index->item(i - 1)->text(), index->item(i)->text(), Qt::CaseInsensitive) <= 0);

    filter->setFocus();
    QTest::keyClicks(filter, "quick p");
    QVERIFY(index->currentItem());
    QVERIFY(index->currentItem()->text().startsWith("quick paste", Qt::CaseInsensitive));
    QTest::keyClick(filter, Qt::Key_Return);
    QCOMPARE(help.currentPage(), QUrl("qrc:/help/paste-menus.html"));

    // A keyword on several pages names each page.
    filter->clear();
    QTest::keyClicks(filter, "username");
    QCOMPARE(index->currentItem()->text(), QString("username \u2014 Power Paste and Quick Paste"));
    QCOMPARE(index->item(index->currentRow() + 1)->text(), QString("username \u2014 The Sites and Data tabs"));

    // Clicking an entry opens its page.
    for (int i = 0; i < index->count(); ++i) {
        if (index->item(i)->text() == "save report") {
            Q_EMIT index->itemClicked(index->item(i));
            break;
        }
    }
    QCOMPARE(help.currentPage(), QUrl("qrc:/help/reports.html"));
}

void TestBasicWindows::helpWindowIsReused()
{
    QWidget mainWindow;
    mainWindow.setObjectName("Form1");
    HelpWindow::showTopic(30, &mainWindow);
    HelpWindow* help = HelpWindow::instance();
    QVERIFY(help);
    QVERIFY(help->isVisible());
    QVERIFY(help->isWindow());
    QCOMPARE(help->parentWidget(), &mainWindow);
    QVERIFY(!help->testAttribute(Qt::WA_QuitOnClose));
    QCOMPARE(help->currentPage(), QUrl("qrc:/help/sites-and-data.html"));

    HelpWindow::showIndex(&mainWindow);
    QCOMPARE(HelpWindow::instance(), help);
    QCOMPARE(help->findChild<QTabWidget*>("helpTabs")->currentIndex(), 1);

    help->close();
    HelpWindow::showContents(&mainWindow);
    QCOMPARE(HelpWindow::instance(), help);
    QVERIFY(help->isVisible());
    QCOMPARE(help->currentPage(), QUrl("qrc:/help/index.html"));
    QCOMPARE(help->findChild<QTabWidget*>("helpTabs")->currentIndex(), 0);
}

void TestBasicWindows::helpInTheLanguageInForce_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QStringList>("titles"); // of the contents page and of context 40
    const QStringList english {"Contents", "Company and program details"},
        german {"Inhalt", "Firmen- und Programmdaten"};
    // A language file named in its own language has its language's pages; one without pages the English.
    for (const auto& [name, titles] : QList<QPair<QString, QStringList>> {{"English", english}, {"German", german},
             {"French", {"Sommaire", "Informations sur la société et les programmes"}}, {"Deutsch", german},
             {"Spanish", english}})
        QTest::newRow(qPrintable(name)) << name << titles;
}

void TestBasicWindows::helpInTheLanguageInForce()
{
    QFETCH(QString, language);
    QFETCH(QStringList, titles);
    TestProgramDirectory dir;
    ProgramSession session(dir.path());
    session.start();
    session.config().language = language;
    useLanguageOf(&session.config());
    HelpWindow help;
    auto* contents = help.findChild<QTreeWidget*>("helpContents");
    auto* browser = help.findChild<QTextBrowser*>("helpBrowser");
    QCOMPARE(contents->topLevelItem(0)->text(0), titles.at(0));
    QCOMPARE(browser->documentTitle(), titles.at(0));
    QVERIFY(help.openContext(40));
    QCOMPARE(help.currentPage(), QUrl("qrc:/help/editor.html"));
    QCOMPARE(browser->documentTitle(), titles.at(1));
    QCOMPARE(contents->currentItem()->text(0), titles.at(1));

    // Another language while the window is open: contents, index and the page shown follow.
    session.config().language = language == "French" ? "German" : "French";
    LanguageSwitch::instance().apply(session.config());
    const QString other
        = language == "French" ? "Firmen- und Programmdaten" : "Informations sur la société et les programmes";
    QCOMPARE(help.currentPage(), QUrl("qrc:/help/editor.html"));
    QCOMPARE(browser->documentTitle(), other);
    QCOMPARE(contents->currentItem()->text(0), other);
    QVERIFY(!help.findChild<QListWidget*>("helpIndex")
                 ->findItems(language == "French" ? "Editor" : "éditeur", Qt::MatchExactly)
                 .isEmpty());
    session.config().language = "English";
    LanguageSwitch::instance().apply(session.config());
    QCOMPARE(contents->topLevelItem(0)->text(0), QString("Contents"));
}

void TestBasicWindows::helpPagesFallBackToEnglishPageByPage()
{
    TestProgramDirectory root;
    root.writeFile("topics.txt", "a.html\nb.html # comment\nnone.html\n");
    root.writeFile("a.html", "<title>A</title><meta name=\"context\" content=\"7, 8\">");
    root.writeFile("b.html", "<title>B</title><meta name=\"context\" content=\"8\">");
    root.writeFile("de/a.html", "<title>A auf Deutsch</title><meta name=\"context\" content=\"7, 8\">");
    root.writeFile("fr/b.html", "<title>B en français</title><meta name=\"context\" content=\"8\">");
    root.writeFile("fr/none.html", "<title>Rien</title>");
    const QList<QPair<QString, QStringList>> cases {{"English", {"A", "B"}}, {"German", {"A auf Deutsch", "B"}},
        {"French", {"A", "B en français", "Rien"}}, {"Klingon", {"A", "B"}}};
    for (const auto& [language, titles] : cases) {
        const HelpPages pages(root.path(), language);
        QStringList shown;
        for (const HelpPages::Topic& topic : pages.topics())
            shown << topic.title;
        // A listed page is shown where it exists: none.html in French only.
        QCOMPARE(shown, titles);
        QCOMPARE(pages.pageForContext(8), QString("a.html"));
    }
    const HelpPages german(root.path(), "German");
    QCOMPARE(german.filePath("a.html"), root.file("de/a.html"));
    QCOMPARE(german.filePath("b.html"), root.file("b.html"));
    QCOMPARE(german.filePath("../de/a.html"), QString());
}

QTEST_MAIN(TestBasicWindows)
#include "TestBasicWindows.moc"
