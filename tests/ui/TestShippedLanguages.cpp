#include "BrowserView.h"
#include "DataFixture.h"
#include "DataSelector.h"
#include "DataSelectorRows.h"
#include "DesktopStartup.h"
#include "FormFileNames.h"
#include "FormMap.h"
#include "IniDocument.h"
#include "LanguageFile.h"
#include "LanguageFolders.h"
#include "MainWindow.h"
#include "MessageTranslator.h"
#include "PropertyCatalogue.h"
#include "SiteSelector.h"
#include "TranslatedWindows.h"
#include "WindowTexts.h"
#include "WindowTranslator.h"

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QUrl>
#include <QWebEnginePage>

#include <map>
#include <optional>
#include <set>

namespace {

QString str(const char* text)
{
    return QString::fromUtf8(text);
}

QString shippedFolder()
{
    return qEnvironmentVariable("QUILLET_LANGUAGE_SOURCES") + QLatin1Char('/');
}

// What each path of every translated window shows: nothing for a path that
// names no component of its window.
using ShownTexts = std::map<QString, std::optional<QString>>;

// The accelerator letter of a caption ("Sp&rache" gives 'r'), or nothing.
std::optional<QChar> mnemonic(const QString& text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text.at(i) != QLatin1Char('&'))
            continue;
        if (text.at(i + 1) == QLatin1Char('&')) {
            ++i;
            continue;
        }
        return text.at(i + 1).toLower();
    }
    return std::nullopt;
}

// The letters used more than once among the items of each menu (and of each
// menu bar), by menu name.
std::map<QString, std::set<QChar>> repeatedMnemonics(QWidget* window)
{
    std::map<QString, std::set<QChar>> result;
    QList<QWidget*> menus;
    for (QMenu* menu : window->findChildren<QMenu*>())
        menus << menu;
    for (QMenuBar* bar : window->findChildren<QMenuBar*>())
        menus << bar;
    for (QWidget* menu : std::as_const(menus)) {
        std::set<QChar> seen;
        std::set<QChar>& repeated = result[window->objectName() + QLatin1Char('.') + menu->objectName()];
        for (QAction* action : menu->actions()) {
            if (action->isSeparator() || !action->isVisible())
                continue;
            if (const std::optional<QChar> letter = mnemonic(action->text())) {
                if (!seen.insert(*letter).second)
                    repeated.insert(*letter);
            }
        }
    }
    return result;
}

// Letters of the main window's menu bar that are also Alt+letter commands of
// the window (the command wins, so the menu cannot be opened with that letter).
std::set<QChar> menuLettersTakenByCommands(MainWindow* window)
{
    std::set<QChar> commands;
    for (QAction* action : window->findChildren<QAction*>()) {
        for (const QKeySequence& sequence : action->shortcuts()) {
            if (sequence.count() != 1)
                continue;
            const QKeyCombination key = sequence[0];
            if (key.keyboardModifiers() == Qt::AltModifier && key.key() >= Qt::Key_A && key.key() <= Qt::Key_Z)
                commands.insert(QChar(u'a' + (key.key() - Qt::Key_A)));
        }
    }
    std::set<QChar> taken;
    for (QAction* menu : window->menuBar()->actions()) {
        const std::optional<QChar> letter = mnemonic(menu->text());
        if (letter && commands.count(*letter))
            taken.insert(*letter);
    }
    return taken;
}

// A program directory whose settings choose language, started as the desktop
// program starts, with every translated window built (and translated as it is
// when it opens).
class TranslatedDesktop {
public:
    // In folder, or in a new empty program directory.
    explicit TranslatedDesktop(const QString& language, const QString& folder = QString())
    {
        if (language != QLatin1String("English"))
            m_dir.writeFile(str("quillet.ini"), "[Config]\nLanguage=" + language.toUtf8() + "\n");
        m_startup = std::make_unique<DesktopStartup>(folder.isEmpty() ? m_dir.path() : folder);
        m_startup->start();
        for (const TranslatedWindow& window : translatedWindows()) {
            std::unique_ptr<QWidget> created;
            QWidget* widget = window.open(*m_startup, created);
            m_windows[window.objectName] = widget;
            if (created)
                m_created.push_back(std::move(created));
        }
    }
    ~TranslatedDesktop()
    {
        m_created.clear();
        m_startup->shutdown();
    }

    QWidget* window(const QString& name) const { return m_windows.at(name); }
    DesktopStartup& startup() { return *m_startup; }

    // What every path of every translated window shows now: the paths of the
    // window's component, which hold those of every other text it shows.
    ShownTexts texts() const
    {
        ShownTexts texts;
        for (const TranslatedWindow& window : translatedWindows()) {
            QWidget* widget = m_windows.at(window.objectName);
            const QStringList paths
                = widget->findChild<WindowTranslator*>(str("Language1"), Qt::FindDirectChildrenOnly)->paths();
            WindowTranslator reader(widget, paths);
            for (const QString& path : paths)
                texts[path] = reader.currentValue(path);
        }
        return texts;
    }

private:
    TestProgramDirectory m_dir;
    std::unique_ptr<DesktopStartup> m_startup;
    std::map<QString, QWidget*> m_windows;
    std::vector<std::unique_ptr<QWidget>> m_created;
};

} // namespace

// The language files that ship with the program, on the real windows: every
// window takes every text of German and French as it opens, menus keep their
// accelerators usable, the data selector's captions stay distinct, and the
// Language menu switches the running main window at once.
class TestShippedLanguages : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();

    void everyTranslatedWindowIsListed();
    void windowsTakeEveryTextAsTheyOpen_data();
    void windowsTakeEveryTextAsTheyOpen();
    void captionsStayDistinct_data();
    void captionsStayDistinct();
    void switchChangesEveryOpenWindowAtOnce();
    void languageMenuSwitchesTheMainWindowAtOnce();
    void englishFileRestoresTheMainWindow();
    void ownFileWinsOverTheShippedOne();
    void englishFormMapFillsInGerman();

private:
    RecordingMessageSink* m_sink = nullptr;
    // What the windows show in English.
    ShownTexts m_english;
    std::map<QString, std::set<QChar>> m_englishRepeatedMnemonics;
    std::set<QChar> m_englishMenuLettersTaken;
};

void TestShippedLanguages::initTestCase()
{
    QVERIFY2(QFileInfo(shippedFolder() + str("German.lng")).isFile(), qPrintable(shippedFolder()));
    LanguageFolders::setShippedFolder(shippedFolder());
    m_sink = new RecordingMessageSink;
    TranslatedDesktop english(str("English"));
    m_english = english.texts();
    for (const TranslatedWindow& window : translatedWindows())
        m_englishRepeatedMnemonics.merge(repeatedMnemonics(english.window(window.objectName)));
    m_englishMenuLettersTaken = menuLettersTakenByCommands(english.startup().mainWindow());
}

void TestShippedLanguages::cleanupTestCase()
{
    delete m_sink;
    LanguageFolders::setShippedFolder(QString());
}

void TestShippedLanguages::everyTranslatedWindowIsListed()
{
    TranslatedDesktop desktop(str("English"));
    std::set<QString> listed;
    for (const TranslatedWindow& window : translatedWindows()) {
        QWidget* widget = desktop.window(window.objectName);
        QVERIFY2(widget, qPrintable(window.objectName));
        QCOMPARE(widget->objectName(), window.objectName);
        QCOMPARE(QString::fromLatin1(widget->metaObject()->className()), window.className);
        // The list is the window's own component's list.
        const auto components = widget->findChildren<WindowTranslator*>(str("Language1"), Qt::FindDirectChildrenOnly);
        QCOMPARE(components.size(), 1);
        QCOMPARE(components.first()->properties(), window.paths);
        QCOMPARE(components.first()->separator(), str(";"));
        listed.insert(window.objectName);
    }
    // No window that exists now carries a component without being listed.
    for (QWidget* widget : QApplication::allWidgets()) {
        if (widget->findChild<WindowTranslator*>(str("Language1"), Qt::FindDirectChildrenOnly))
            QVERIFY2(listed.count(widget->objectName()), qPrintable(widget->objectName()));
    }
    QVERIFY(m_sink->messages.isEmpty());
}

void TestShippedLanguages::windowsTakeEveryTextAsTheyOpen_data()
{
    QTest::addColumn<QString>("language");
    QTest::newRow("German") << str("German");
    QTest::newRow("French") << str("French");
}

void TestShippedLanguages::windowsTakeEveryTextAsTheyOpen()
{
    QFETCH(QString, language);
    const std::shared_ptr<const LanguageFile> file = LanguageFile::open(shippedFolder() + language + str(".lng"));
    TranslatedDesktop desktop(language);
    QVERIFY(m_sink->messages.isEmpty());
    const ShownTexts texts = desktop.texts();
    // Texts that are the same in German or French and in English.
    const std::set<QString> sameInBoth {str("OK"), str("..."), str("Velmora Submit"), str("E-Mail"), str("CC:"),
        str("BCC:"), str("Build"), str("Version"), str("|<"), str("<"), str(">"), str(">|"), str("+"), str("-"),
        str("Index"), str("STARTTLS"), str("TLS"), str("Velmora Submit\u2122"), str("Version:"), str("Website:"),
        str("P&ort:"), str("Configuration"), str("&Configuration..."), str("Options"), str("&Options..."), str("Sites"),
        str("S&ites")};
    // Values that go into the program's record and from there into the sites'
    // forms and PAD files, which expect these English words.
    const std::set<QString> storedValues {
        str("frmConfig.cboLicense.Items"), str("frmConfig.cboOS.Items"), str("frmConfig.cboInstall.Items")};
    QStringList stillEnglish;
    int changed = 0;
    for (const auto& [path, english] : m_english) {
        const QString* translation = file->translation(path);
        QVERIFY2(translation, qPrintable(path));
        if (!english)
            continue; // the path names nothing in its window: the entry is skipped
        const QString shown = texts.at(path).value_or(str("<gone>"));
        if (path.endsWith(str("Version.Caption")) || path.endsWith(str("lblBuild.Caption"))) {
            // The About box writes its numbers after the window texts.
            const QString word = path.contains(str("Version")) ? str("Version") : str("Build");
            QVERIFY2(shown.startsWith(file->message(word) + QLatin1Char(' ')), qPrintable(path + str(": ") + shown));
            continue;
        }
        if (english->isEmpty()) {
            QCOMPARE(shown, *english);
            continue;
        }
        QVERIFY2(!translation->isEmpty(), qPrintable(path));
        QCOMPARE(shown, *translation);
        if (path.endsWith(str(".Items"))) {
            QCOMPARE(WindowTranslator::splitListValue(shown, str(";")).size(),
                WindowTranslator::splitListValue(*english, str(";")).size());
        }
        if (shown != *english)
            ++changed;
        else if (!english->trimmed().isEmpty() && !storedValues.count(path) && !sameInBoth.count(*english))
            stillEnglish << path + str("=") + *english;
    }
    // Most texts differ from the English ones; a few (OK, "...") may not.
    QVERIFY2(changed > 80, qPrintable(QString::number(changed)));
    QVERIFY2(stillEnglish.isEmpty(), qPrintable(stillEnglish.join(QLatin1Char('\n'))));
    // Every text a window shows has a path.
    for (const TranslatedWindow& window : translatedWindows()) {
        const QStringList unnamed = WindowTexts(desktop.window(window.objectName)).unnamed();
        QVERIFY2(unnamed.isEmpty(), qPrintable(window.objectName + str(": ") + unnamed.join(str(", "))));
    }
    // Qt's own buttons speak the language as well.
    auto* box = desktop.window(str("ReplaceDialog1"))->findChild<QDialogButtonBox*>();
    QVERIFY(box);
    const QString cancel = box->button(QDialogButtonBox::Cancel)->text();
    QVERIFY2(cancel != str("Cancel") && cancel != str("&Cancel"), qPrintable(cancel));

    // No menu gets two items with one accelerator letter where English has none.
    for (const TranslatedWindow& window : translatedWindows()) {
        for (const auto& [menu, letters] : repeatedMnemonics(desktop.window(window.objectName))) {
            for (QChar letter : letters)
                QVERIFY2(m_englishRepeatedMnemonics.at(menu).count(letter), qPrintable(menu + str(": &") + letter));
        }
    }
    // And no top-level menu's letter is lost to an Alt command that English leaves to it.
    for (QChar letter : menuLettersTakenByCommands(desktop.startup().mainWindow()))
        QVERIFY2(m_englishMenuLettersTaken.count(letter), qPrintable(str("menu letter taken by Alt+") + letter));
    QVERIFY(m_sink->messages.isEmpty());
}

void TestShippedLanguages::captionsStayDistinct_data()
{
    windowsTakeEveryTextAsTheyOpen_data();
}

void TestShippedLanguages::captionsStayDistinct()
{
    QFETCH(QString, language);
    TranslatedDesktop desktop(language);
    const DataSelectorRows& rows = *desktop.startup().dataRows();
    std::map<QString, int> rowOfShown;
    for (int row = 0; row < DataSelectorRows::RowCount; ++row) {
        const QString shown = rows.caption(row);
        if (row == PropertyCatalogue::Separator) {
            QVERIFY(shown.isEmpty());
            continue;
        }
        QVERIFY2(!shown.isEmpty(), qPrintable(rows.englishCaption(row)));
        QVERIFY2(!shown.contains(QLatin1Char('%')), qPrintable(shown));
        QVERIFY2(shown != str("Username") && shown != str("Password"), qPrintable(shown));
        // A value is named by one row only, shown or in English.
        QVERIFY2(rowOfShown.emplace(shown, row).second, qPrintable(shown));
        QCOMPARE(rows.rowOfCaption(shown), row);
        QCOMPARE(rows.rowOfCaption(rows.englishCaption(row)), row);
    }
    // The grid shows the translations.
    QCOMPARE(rows.caption(PropertyCatalogue::ProgramName),
        LanguageFile::open(shippedFolder() + language + str(".lng"))->message(str("Program")));
    QVERIFY(rows.caption(PropertyCatalogue::ProgramName) != str("Program"));
}

void TestShippedLanguages::switchChangesEveryOpenWindowAtOnce()
{
    DataFixture data;
    data.open();
    data.addSite(str("Brookside"), {{"Hide", 0}});
    data.close();
    {
        TranslatedDesktop desktop(str("English"), data.dir.path());
        DesktopStartup& startup = desktop.startup();
        auto* grid = startup.siteSelector()->findChild<QTableView*>(str("sitesDBGrid"));
        QVERIFY(grid && grid->model()->rowCount() > 0);
        auto* status = startup.mainWindow()->findChild<QLabel*>(str("StatusPanel0"));
        const auto hideCell = [grid] { return grid->model()->index(0, 1).data().toString(); };
        QCOMPARE(hideCell(), str("False"));

        for (const QString& language : {str("German"), str("French"), str("English")}) {
            status->setText(str("Form saved"));
            startup.mainWindow()->switchLanguage(language);
            const auto file = LanguageFile::open(shippedFolder() + language + str(".lng"));
            int compared = 0;
            for (const auto& [path, shown] : desktop.texts()) {
                const std::optional<QString>& own = m_english.at(path);
                if (!own || path.endsWith(str("Version.Caption")) || path.endsWith(str("lblBuild.Caption")))
                    continue; // nothing there, or the About box's numbers after the word
                const QString* translation = file->translation(path);
                const QString expected = translation && !translation->isEmpty() ? *translation : *own;
                QVERIFY2(shown == expected, qPrintable(path + str(": ") + shown.value_or(str("<gone>"))));
                ++compared;
            }
            QVERIFY(compared > 200);
            // The texts the code makes follow as well: grid cells, captions; the old status goes.
            const bool english = language == str("English");
            QCOMPARE(hideCell(), english ? str("False") : file->message(str("False")));
            QCOMPARE(startup.dataRows()->caption(PropertyCatalogue::Company),
                english ? str("Company") : file->message(str("Company")));
            QVERIFY(status->text().isEmpty());
        }
    }
    QVERIFY(m_sink->messages.isEmpty());
}

void TestShippedLanguages::languageMenuSwitchesTheMainWindowAtOnce()
{
    TestProgramDirectory dir;
    auto startup = std::make_unique<DesktopStartup>(dir.path());
    startup->start();
    startup->show();
    MainWindow* window = startup->mainWindow();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    // Each language by its own name, the file name behind it, the one in force ticked.
    QStringList names;
    QStringList files;
    for (QAction* item : window->languageMenu()->actions()) {
        names << item->text();
        files << item->data().toString();
        QCOMPARE(item->isChecked(), item->data().toString() == str("English"));
    }
    QCOMPARE(names, QStringList({str("English"), str("Français"), str("Deutsch")}));
    QCOMPARE(files, QStringList({str("English"), str("French"), str("German")}));

    const auto menuTitle
        = [window](const char* name) { return window->menuBar()->findChild<QMenu*>(str(name))->title(); };
    const auto choose = [window](const char* language) {
        for (QAction* item : window->languageMenu()->actions()) {
            if (item->data().toString() == str(language))
                item->trigger();
        }
        for (QAction* item : window->languageMenu()->actions())
            QCOMPARE(item->isChecked(), item->data().toString() == str(language));
    };
    QCOMPARE(translateMsg(str("Form saved")), str("Form saved"));
    choose("German");
    QCOMPARE(menuTitle("File1"), str("&Datei"));
    QCOMPARE(menuTitle("Navigate1"), str("&Gehe zu"));
    QCOMPARE(menuTitle("Help1"), str("Hi&lfe"));
    QCOMPARE(window->findChild<QLabel*>(str("Label1"))->text(), str("Adresse"));
    QCOMPARE(window->findChild<QAction*>(str("Configuration1"))->text(), str("&Konfiguration..."));
    // Items named after their objects are translated too.
    QCOMPARE(window->findChild<QAction*>(str("Saveform1"))->text(), str("Formular &speichern"));
    QCOMPARE(IniDocument::load(dir.file(str("quillet.ini"))).readString(str("Config"), str("Language"), QString()),
        str("German"));
    // Messages and the docked selectors follow at once.
    QCOMPARE(translateMsg(str("Form saved")), str("Formular gespeichert"));
    SiteSelector* sites = startup->siteSelector();
    QCOMPARE(sites->findChild<QLabel*>(str("Label1"))->text(), str("Benutzername:"));
    QCOMPARE(startup->dataRows()->caption(PropertyCatalogue::Company), str("Firma"));

    choose("French");
    QCOMPARE(menuTitle("File1"), str("&Fichier"));
    QCOMPARE(window->findChild<QAction*>(str("About1"))->text(), str("À &propos..."));
    QCOMPARE(translateMsg(str("Form saved")), str("Formulaire enregistré"));
    choose("English");
    QCOMPARE(menuTitle("File1"), str("&File"));
    QCOMPARE(window->findChild<QAction*>(str("About1"))->text(), str("&About..."));
    QCOMPARE(translateMsg(str("Form saved")), str("Form saved"));

    choose("German");
    startup->shutdown();
    startup = std::make_unique<DesktopStartup>(dir.path());
    startup->start();
    QCOMPARE(startup->mainWindow()->menuBar()->findChild<QMenu*>(str("File1"))->title(), str("&Datei"));
    QCOMPARE(startup->siteSelector()->findChild<QLabel*>(str("Label1"))->text(), str("Benutzername:"));
    QCOMPARE(startup->siteSelector()->findChild<QWidget*>(str("dcbSubmitted"))->property("text").toString(),
        str("Eingereicht"));
    QCOMPARE(startup->dataRows()->caption(PropertyCatalogue::Company), str("Firma"));
    startup->shutdown();
    QVERIFY(m_sink->messages.isEmpty());
}

void TestShippedLanguages::englishFileRestoresTheMainWindow()
{
    TestProgramDirectory dir;
    dir.writeFile(str("quillet.ini"), "[Config]\nLanguage=French\n");
    DesktopStartup startup(dir.path());
    startup.start();
    MainWindow* window = startup.mainWindow();
    QCOMPARE(window->menuBar()->findChild<QMenu*>(str("File1"))->title(), str("&Fichier"));
    for (QAction* item : window->languageMenu()->actions()) {
        if (item->text() == str("English"))
            item->trigger();
    }
    // Every text of the main window is its own English one again, at once.
    int compared = 0;
    {
        WindowTranslator reader(window, MainWindow::translationPaths());
        for (const QString& path : MainWindow::translationPaths()) {
            const std::optional<QString> english = m_english.at(path);
            QCOMPARE(reader.currentValue(path).has_value(), english.has_value());
            if (english) {
                QCOMPARE(*reader.currentValue(path), *english);
                ++compared;
            }
        }
    }
    QVERIFY(compared >= 15);
    startup.shutdown();
}

void TestShippedLanguages::ownFileWinsOverTheShippedOne()
{
    TestProgramDirectory dir;
    dir.writeFile(
        str("German.lng"), "[Translations]\nForm1.File1.Caption=&Eigene Datei\n[Messages]\nForm saved=Gesichert\n");
    DesktopStartup startup(dir.path());
    startup.start();
    MainWindow* window = startup.mainWindow();
    QStringList names;
    for (QAction* item : window->languageMenu()->actions())
        names << item->text();
    QCOMPARE(names, QStringList({str("English"), str("Français"), str("Deutsch")}));
    window->switchLanguage(str("German"));
    QCOMPARE(window->menuBar()->findChild<QMenu*>(str("File1"))->title(), str("&Eigene Datei"));
    QCOMPARE(window->findChild<QAction*>(str("Saveform1"))->text(), str("&Save form"));
    // The own file is the whole language: what it lacks stays English.
    QCOMPARE(window->menuBar()->findChild<QMenu*>(str("Help1"))->title(), str("&Help"));
    QCOMPARE(translateMsg(str("Form saved")), str("Gesichert"));
    QCOMPARE(translateMsg(str("Form loaded")), str("Form loaded"));
    startup.shutdown();
}

void TestShippedLanguages::englishFormMapFillsInGerman()
{
    // The demo's way: a form map written with English captions, used by a
    // German user.
    DataFixture data;
    data.open();
    const QString form = testPageUrlIn(str("formfill/memo-form.html"), data.dir.path());
    data.addSite(str("Brookside"), {{"HomeUrl", form}, {"SubmitUrl", form}});
    data.properties()[PropertyCatalogue::ProgramName].setValue(str("NoteNest"));
    data.dm().saveProgram(str("NoteNest"));
    data.close();
    data.dir.writeFile(str("quillet.ini"),
        "[Config]\nLanguage=German\n[LastProgram]\nProgramName=NoteNest\n[General]\nAutomatically Fill Form "
        "Fields=0\n");
    data.dir.writeFile(str("SiteData/Brookside.xml"),
        "<XML_SITE_SUBMIT_INFO><CONTROL Name=\"productname\" Type=\"text\" DataField=\"Program\"/>"
        "</XML_SITE_SUBMIT_INFO>");
    DesktopStartup startup(data.dir.path());
    startup.start();
    startup.show();
    MainWindow* window = startup.mainWindow();
    QCOMPARE(startup.dataRows()->caption(PropertyCatalogue::ProgramName), str("Programm"));
    QSignalSpy loaded(window->browser(), &QWebEngineView::loadFinished);
    QSignalSpy finished(window, &MainWindow::formCommandFinished);
    window->openSubmitPage();
    QVERIFY(loaded.wait(120000));
    window->autoFillForm();
    QVERIFY(finished.wait(120000));
    QCOMPARE(finished.last().first().toString(), str("Formular geladen"));
    QString value;
    window->browser()->page()->runJavaScript(str("document.querySelector('input[name=\"product[name]\"]').value"),
        [&value](const QVariant& result) { value = result.toString(); });
    QTRY_COMPARE(value, str("NoteNest"));

    // What the German user saves is found again in English.
    window->saveForm();
    QVERIFY(finished.wait(120000));
    QCOMPARE(finished.last().first().toString(), str("Formular gespeichert"));
    const FormMap map = FormMap::load(FormFileNames::siteMap(data.dir.path(), str("Brookside")));
    QCOMPARE(map.dataField(str("productname")), std::optional<QString>(str("Program")));
    startup.shutdown();
}

QTEST_MAIN(TestShippedLanguages)
#include "TestShippedLanguages.moc"
