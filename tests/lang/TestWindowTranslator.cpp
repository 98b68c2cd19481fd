#include "ProgramSession.h"
#include "QuilletError.h"
#include "TestSupport.h"
#include "WindowTranslator.h"

#include <QTest>
#include <QTimer>

// Components as the generic mapping sees them: objects with Qt properties.
// Windows carry windowTitle, labels and buttons text, frames title.
class Window : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString windowTitle MEMBER windowTitle)
public:
    using QObject::QObject;
    QString windowTitle = QStringLiteral("Sample");
};

class Label : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString text MEMBER text)
    Q_PROPERTY(QString windowTitle MEMBER windowTitle)
public:
    Label(const QString& caption, QObject* parent)
        : QObject(parent)
        , text(caption)
    { }
    QString text;
    QString windowTitle;
};

class Frame : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString title MEMBER title)
    Q_PROPERTY(QString text MEMBER text)
    Q_PROPERTY(QString windowTitle MEMBER windowTitle)
public:
    using QObject::QObject;
    QString title = QStringLiteral("Group");
    QString text;
    QString windowTitle;
};

class Button : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString text MEMBER text)
    Q_PROPERTY(QString toolTip MEMBER toolTip)
    Q_PROPERTY(QString statusTip MEMBER statusTip)
    Q_PROPERTY(bool enabled MEMBER enabled)
    Q_PROPERTY(double opacity MEMBER opacity)
public:
    using QObject::QObject;
    QString text = QStringLiteral("OK");
    QString toolTip = QStringLiteral("Accept");
    QString statusTip;
    bool enabled = true;
    double opacity = 1.0;
};

class ItemHolder : public QObject {
    Q_OBJECT
    Q_PROPERTY(QStringList items MEMBER items)
public:
    using QObject::QObject;
    QStringList items {QStringLiteral("english item")};
};

// A list whose items no Qt property exposes: only a registered resolver reaches them.
class PlainList : public QObject {
public:
    using QObject::QObject;
    QStringList entries {QStringLiteral("One"), QStringLiteral("Two")};
};

namespace {

// A window whose components sit at different depths.
struct SampleWindow {
    Window window;
    Label* label;
    Label* nestedLabel;
    Label* deepNamesake;
    Label* untouched;
    Button* button;
    Frame* group;
    QTimer* timer;
    Frame* menu;
    Label* action;
    ItemHolder* holder;
    ItemHolder* holder2;
    PlainList* list;

    SampleWindow()
    {
        window.setObjectName("dlgSample");
        group = named(new Frame(&window), "grpBox");
        nestedLabel = named(new Label("Nested", group), "lblNested");
        // A namesake deeper down loses against the component on the window itself.
        deepNamesake = named(new Label("Deep", group), "lblName");
        label = named(new Label("Name", &window), "lblName");
        untouched = named(new Label("Keep me", &window), "lblKeep");
        button = named(new Button(&window), "btnOk");
        timer = named(new QTimer(&window), "tmrCount");
        timer->setInterval(10);
        menu = named(new Frame(&window), "File1");
        menu->title = "File";
        action = named(new Label("Exit", menu), "Exit1");
        holder = named(new ItemHolder(&window), "holder");
        holder2 = named(new ItemHolder(&window), "holder2");
        list = named(new PlainList(&window), "lstKind");
    }

    template<typename T> static T* named(T* object, const char* name)
    {
        object->setObjectName(QString::fromLatin1(name));
        return object;
    }
};

const QStringList kSamplePaths {
    "dlgSample.Caption",
    "DLGSAMPLE.lblname.CAPTION",
    "dlgSample.lblNested.Caption",
    "dlgSample.grpBox.Caption",
    "dlgSample.lblKeep.Caption",
    "dlgSample.btnOk.Hint",
    "dlgSample.btnOk.Caption",
    "dlgSample.File1.Caption",
    "dlgSample.Exit1.Caption",
    "dlgSample.lblGhost.Caption",
    "dlgGhost.lblName.Caption",
    "dlgSample.btnOk.Enabled",
    "dlgSample.btnOk.Opacity",
    "dlgSample.tmrCount.Interval",
    "  ",
    "dlgSample.holder.Items",
    "dlgSample.holder2.Items",
};

const QByteArray kSampleFile = "[Translations]\n"
                               "dlgSample.Caption=Fenster\n"
                               "dlgsample.LBLNAME.caption=Nom\n"
                               "dlgSample.lblNested.Caption=Verschachtelt\n"
                               "dlgSample.grpBox.Caption=Gruppe\n"
                               "dlgSample.lblKeep.Caption=\n"
                               "dlgSample.btnOk.Hint=Annehmen\n"
                               "dlgSample.btnOk.Caption=\"Gut\"\n"
                               "dlgSample.File1.Caption=&Datei\n"
                               "dlgSample.Exit1.Caption=&Beenden\n"
                               "dlgSample.lblGhost.Caption=Geist\n"
                               "dlgGhost.lblName.Caption=Geist\n"
                               "dlgSample.btnOk.Enabled=0\n"
                               "dlgSample.btnOk.Opacity=0.5\n"
                               "dlgSample.tmrCount.Interval= 42\n"
                               "dlgSample.holder.Items=Time-limited trial;Feature-limited demo;Freeware\n"
                               "dlgSample.holder2.Items=a;;b;\n"
                               "[Messages]\n"
                               "Version=Fassung\n";

} // namespace

class TestWindowTranslator : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pathsFindComponentsWithoutRegardToCase();
    void listValuesSplitAtTheSeparator_data();
    void listValuesSplitAtTheSeparator();
    void separatorSetting();
    void integerErrorStopsTheRunAndIsReported();
    void missingFileOrKeysChangeNothing();
    void translateHandlerMaySeeAndChangeValues();
    void resolversReachWhatQtCoreCannot();
    void windowFoundAmongTopLevelObjects();
    void englishReadsNoFile();
    void lookupMessageUsesTheComponentsFile();
    void switchingBringsBackOwnTexts_data();
    void switchingBringsBackOwnTexts();
};

void TestWindowTranslator::pathsFindComponentsWithoutRegardToCase()
{
    TestProgramDirectory dir;
    dir.writeFile("Deutsch.lng", kSampleFile);
    RecordingMessageSink sink;
    SampleWindow sample;
    auto* language = new WindowTranslator(&sample.window, kSamplePaths);
    QCOMPARE(language->objectName(), QString("Language1"));
    QCOMPARE(language->separator(), QString(";"));
    language->setLanguageFile(dir.file("Deutsch.lng"));

    QVERIFY(language->translate());

    QCOMPARE(sample.window.windowTitle, QString("Fenster"));
    QCOMPARE(sample.label->text, QString("Nom"));
    QCOMPARE(sample.label->windowTitle, QString());
    QCOMPARE(sample.nestedLabel->text, QString("Verschachtelt"));
    QCOMPARE(sample.deepNamesake->text, QString("Deep"));
    // Caption is the title where a component has one.
    QCOMPARE(sample.group->title, QString("Gruppe"));
    QCOMPARE(sample.group->text, QString());
    // An empty translation never blanks a property.
    QCOMPARE(sample.untouched->text, QString("Keep me"));
    QCOMPARE(sample.button->toolTip, QString("Annehmen"));
    QCOMPARE(sample.button->statusTip, QString("Annehmen"));
    QCOMPARE(sample.button->text, QString("Gut"));
    QCOMPARE(sample.menu->title, QString("&Datei"));
    QCOMPARE(sample.action->text, QString("&Beenden"));
    // Neither a flag nor a real number takes a translation.
    QVERIFY(sample.button->enabled);
    QCOMPARE(sample.button->opacity, 1.0);
    QCOMPARE(sample.timer->interval(), 42);
    QCOMPARE(sample.holder->items, QStringList({"Time-limited trial", "Feature-limited demo", "Freeware"}));
    QCOMPARE(sample.holder2->items, QStringList({"a", "", "b"}));
    // Missing components and windows are skipped without a word.
    QVERIFY(sink.messages.isEmpty());

    // Paths a source adds join the list once each, whatever their case or blanks.
    SampleWindow other;
    auto* sourced = new WindowTranslator(&other.window, {"dlgSample.lblName.Caption"});
    int asked = 0;
    sourced->setPathSource([&asked] {
        ++asked;
        return QStringList {"DLGSAMPLE.LBLNAME.caption", "dlgSample.grpBox.Caption", " dlgSample.grpBox.Caption"};
    });
    QCOMPARE(sourced->properties(), QStringList {"dlgSample.lblName.Caption"});
    QCOMPARE(sourced->paths(), QStringList({"dlgSample.lblName.Caption", "dlgSample.grpBox.Caption"}));
    sourced->setLanguageFile(dir.file("Deutsch.lng"));
    QVERIFY(sourced->translate());
    QCOMPARE(other.label->text, QString("Nom"));
    QCOMPARE(other.group->title, QString("Gruppe"));
    // The source is asked at each translation, so a window's later texts are found.
    QVERIFY(asked >= 2);
}

void TestWindowTranslator::listValuesSplitAtTheSeparator_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QStringList>("items");

    QTest::newRow("three items") << "Time-limited trial;Feature-limited demo;Freeware"
                                 << ";" << QStringList {"Time-limited trial", "Feature-limited demo", "Freeware"};
    QTest::newRow("empty piece kept, empty rest dropped") << "a;;b;"
                                                          << ";" << QStringList {"a", "", "b"};
    QTest::newRow("pieces trimmed") << "  Windows ;  Linux  "
                                    << ";" << QStringList {"Windows", "Linux"};
    QTest::newRow("blank rest dropped") << "a; b ;   "
                                        << ";" << QStringList {"a", "b"};
    QTest::newRow("leading separator") << ";a"
                                       << ";" << QStringList {"", "a"};
    QTest::newRow("other separator leaves semicolons") << "a;b,c"
                                                       << "," << QStringList {"a;b", "c"};
    QTest::newRow("separator of two characters") << "a::b:c"
                                                 << "::" << QStringList {"a", "b:c"};
    QTest::newRow("separator with blanks") << "a , b,c"
                                           << " , " << QStringList {"a", "b,c"};
    QTest::newRow("empty separator splits nothing") << " a;b "
                                                    << "" << QStringList {"a;b"};
}

void TestWindowTranslator::listValuesSplitAtTheSeparator()
{
    QFETCH(QString, value);
    QFETCH(QString, separator);
    QFETCH(QStringList, items);
    QCOMPARE(WindowTranslator::splitListValue(value, separator), items);
}

void TestWindowTranslator::separatorSetting()
{
    WindowTranslator language;
    QCOMPARE(language.separator(), QString());
    language.setSeparator("");
    QCOMPARE(language.separator(), QString(","));
    language.setSeparator("   ");
    QCOMPARE(language.separator(), QString(","));
    language.setSeparator(" ; ");
    QCOMPARE(language.separator(), QString(" ; "));

    // A component that was never given a separator takes a list value as one item.
    TestProgramDirectory dir;
    dir.writeFile("x.lng", "[Translations]\ndlgSample.holder.Items= x;y \n");
    SampleWindow sample;
    auto* unseparated = new WindowTranslator(&sample.window);
    unseparated->setProperties({"dlgSample.holder.Items"});
    unseparated->setLanguageFile(dir.file("x.lng"));
    QVERIFY(unseparated->translate());
    QCOMPARE(sample.holder->items, QStringList {"x;y"});
}

void TestWindowTranslator::integerErrorStopsTheRunAndIsReported()
{
    TestProgramDirectory dir;
    dir.writeFile("Bad.lng",
        "[Translations]\n"
        "dlgSample.lblName.Caption=Nom\n"
        "dlgSample.tmrCount.Interval=zwölf\n"
        "dlgSample.grpBox.Caption=Gruppe\n");
    RecordingMessageSink sink;
    SampleWindow sample;
    auto* language = new WindowTranslator(
        &sample.window, {"dlgSample.lblName.Caption", "dlgSample.tmrCount.Interval", "dlgSample.grpBox.Caption"});
    language->setLanguageFile(dir.file("Bad.lng"));
    int after = 0;
    language->setOnAfterTranslation([&after](WindowTranslator*) { ++after; });

    QVERIFY(!language->translate());

    QCOMPARE(sink.texts(), QStringList {"'zwölf' is not a valid integer value"});
    QCOMPARE(sample.label->text, QString("Nom"));
    QCOMPARE(sample.timer->interval(), 10);
    QCOMPARE(sample.group->title, QString("Group"));
    QCOMPARE(after, 0);

    // translateProperty on its own raises the error to its caller.
    QVERIFY_THROWS_EXCEPTION(ConversionError, language->translateProperty("dlgSample.tmrCount.Interval", "1.5"));
    QVERIFY_THROWS_EXCEPTION(ConversionError, language->translateProperty("dlgSample.tmrCount.Interval", "9999999999"));
    language->translateProperty("DLGSAMPLE.TMRCOUNT.INTERVAL", "-7 ");
    QCOMPARE(sample.timer->interval(), -7);
    // An empty value is no translation, not a conversion error.
    language->translateProperty("dlgSample.tmrCount.Interval", "");
    QCOMPARE(sample.timer->interval(), -7);
}

void TestWindowTranslator::missingFileOrKeysChangeNothing()
{
    TestProgramDirectory dir;
    dir.writeFile("Messages.lng", "[Messages]\nVersion=Fassung\n");
    RecordingMessageSink sink;
    for (const QString& file : {dir.file("Missing.lng"), dir.file("Messages.lng"), dir.path(), QString()}) {
        SampleWindow sample;
        auto* language = new WindowTranslator(&sample.window, kSamplePaths);
        language->setLanguageFile(file);
        QVERIFY(language->translate());
        QCOMPARE(sample.window.windowTitle, QString("Sample"));
        QCOMPARE(sample.label->text, QString("Name"));
        QCOMPARE(sample.holder->items, QStringList {"english item"});
    }
    QVERIFY(sink.messages.isEmpty());
}

void TestWindowTranslator::translateHandlerMaySeeAndChangeValues()
{
    TestProgramDirectory dir;
    dir.writeFile("Deutsch.lng", kSampleFile);
    SampleWindow sample;
    auto* language = new WindowTranslator(&sample.window,
        {"dlgSample.lblName.Caption", "dlgSample.lblGhost.Caption", "dlgSample.lblKeep.Caption",
            "dlgSample.btnOk.Enabled"});
    language->setLanguageFile(dir.file("Deutsch.lng"));
    QStringList seen;
    language->setOnTranslate([&](QObject* component, const QString& name, const QString& oldValue, QString& value) {
        seen << component->objectName() + "|" + name + "|" + oldValue + "|" + value;
        value = value.toUpper();
    });
    QStringList notes;
    language->setOnBeforeTranslation([&](WindowTranslator* sender) {
        QCOMPARE(sender, language);
        notes << "before";
    });
    language->setOnAfterTranslation([&](WindowTranslator*) { notes << "after, label " + sample.label->text; });

    QVERIFY(language->translate());

    // Missing components and empty values never reach the handler; a property
    // that takes no translation does, with an empty old value.
    QCOMPARE(seen, QStringList({"lblName|Caption|Name|Nom", "btnOk|Enabled||0"}));
    QCOMPARE(sample.label->text, QString("NOM"));
    QCOMPARE(notes, QStringList({"before", "after, label NOM"}));
}

void TestWindowTranslator::resolversReachWhatQtCoreCannot()
{
    TestProgramDirectory dir;
    dir.writeFile(
        "Deutsch.lng", "[Translations]\ndlgSample.lstKind.Items=Eins; Zwei ;Drei\ndlgSample.lblName.Caption=Nom\n");
    SampleWindow sample;
    auto* language = new WindowTranslator(&sample.window, {"dlgSample.lstKind.Items", "dlgSample.lblName.Caption"});
    language->setLanguageFile(dir.file("Deutsch.lng"));

    // Without a resolver the list has no Items property: nothing happens.
    QVERIFY(language->translate());
    QCOMPARE(sample.list->entries, QStringList({"One", "Two"}));
    QCOMPARE(sample.label->text, QString("Nom"));

    sample.label->text = "Name";
    const int resolver = WindowTranslator::registerPropertyResolver(
        [](QObject* component, const QString& name) -> std::optional<TranslatableProperty> {
            if (auto* list = dynamic_cast<PlainList*>(component); list && name == "Items") {
                TranslatableProperty property;
                property.kind = TranslatableProperty::Kind::StringList;
                property.write = [list](const QVariant& value) { list->entries = value.toStringList(); };
                return property;
            }
            // Labels are blocked: a property without write takes no translation.
            if (dynamic_cast<Label*>(component))
                return TranslatableProperty {};
            return std::nullopt;
        });
    QVERIFY(language->translate());
    QCOMPARE(sample.list->entries, QStringList({"Eins", "Zwei", "Drei"}));
    QCOMPARE(sample.label->text, QString("Name"));
    WindowTranslator::unregisterPropertyResolver(resolver);
    QVERIFY(language->translate());
    QCOMPARE(sample.label->text, QString("Nom"));
}

void TestWindowTranslator::windowFoundAmongTopLevelObjects()
{
    TestProgramDirectory dir;
    dir.writeFile("Deutsch.lng", kSampleFile);
    SampleWindow sample;
    // The component belongs to another window: the sample is reached only as a top-level window.
    QObject otherWindow;
    otherWindow.setObjectName("frmOther");
    auto* language = new WindowTranslator(&otherWindow, {"DLGSAMPLE.Caption"});
    language->setLanguageFile(dir.file("Deutsch.lng"));
    QVERIFY(language->translate());
    QCOMPARE(sample.window.windowTitle, QString("Sample"));

    WindowTranslator::setRootProvider([&sample] { return QObjectList {&sample.window}; });
    QVERIFY(language->translate());
    QCOMPARE(sample.window.windowTitle, QString("Fenster"));
    WindowTranslator::setRootProvider({});

    // Objects owned by the application object are windows as well.
    sample.window.windowTitle = "Sample";
    sample.window.setParent(QCoreApplication::instance());
    QVERIFY(language->translate());
    QCOMPARE(sample.window.windowTitle, QString("Fenster"));

    // A window docked into another one is still reached through its own component.
    QObject host;
    host.setObjectName("dlgHost");
    sample.window.setParent(&host);
    auto* docked = new WindowTranslator(&sample.window, {"dlgSample.lblName.Caption"});
    docked->setLanguageFile(dir.file("Deutsch.lng"));
    QVERIFY(docked->translate());
    QCOMPARE(sample.label->text, QString("Nom"));
    sample.window.setParent(nullptr);
}

void TestWindowTranslator::englishReadsNoFile()
{
    TestProgramDirectory dir;
    dir.writeFile("English.lng", kSampleFile);
    dir.writeFile("Deutsch.lng", kSampleFile);
    ProgramSession session(dir.path());
    session.start();
    SampleWindow sample;
    auto* language = new WindowTranslator(&sample.window, kSamplePaths);

    session.config().language = "English";
    QVERIFY(language->applyLanguage(session.config()));
    QCOMPARE(language->languageFile(), dir.file("English.lng"));
    QCOMPARE(sample.window.windowTitle, QString("Sample"));

    session.config().language = "Deutsch";
    QVERIFY(language->applyLanguage(session.config()));
    QCOMPARE(language->languageFile(), dir.file("Deutsch.lng"));
    QCOMPARE(sample.window.windowTitle, QString("Fenster"));
}

void TestWindowTranslator::lookupMessageUsesTheComponentsFile()
{
    TestProgramDirectory dir;
    dir.writeFile("Deutsch.lng", kSampleFile);
    WindowTranslator language;
    language.setLanguageFile(dir.file("Deutsch.lng"));
    QCOMPARE(language.lookupMessage("VERSION"), QString("Fassung"));
    QCOMPARE(language.lookupMessage("Build"), QString("Build"));
    QCOMPARE(language.lookupMessage("dlgSample.Caption"), QString("dlgSample.Caption"));
}

QTEST_GUILESS_MAIN(TestWindowTranslator)
#include "TestWindowTranslator.moc"

void TestWindowTranslator::switchingBringsBackOwnTexts_data()
{
    QTest::addColumn<QByteArray>("second"); // empty: English, without a file
    QTest::addColumn<bool>("codeSetsText");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QString>("title");

    const QByteArray partial = "[Translations]\ndlgSample.Caption=Fen\u00eatre\n";
    const QByteArray full = "[Translations]\ndlgSample.Caption=Ventana\ndlgSample.lblName.Caption=Nombre\n"
                            "dlgSample.holder.Items=uno;dos\n";
    // A key the next file lacks shows the window's own text, not the language left.
    QTest::newRow("key missing in the next file")
        << partial << false << "Name" << QStringList {"english item"} << QString::fromUtf8("Fen\u00eatre");
    QTest::newRow("every key in the next file") << full << false << "Nombre" << QStringList {"uno", "dos"} << "Ventana";
    QTest::newRow("English without a file")
        << QByteArray() << false << "Name" << QStringList {"english item"} << "Sample";
    // A text the code set after the translation is the code's: it stays.
    QTest::newRow("text the code set since")
        << partial << true << "Value 7" << QStringList {"english item"} << QString::fromUtf8("Fen\u00eatre");
}

void TestWindowTranslator::switchingBringsBackOwnTexts()
{
    QFETCH(QByteArray, second);
    QFETCH(bool, codeSetsText);
    QFETCH(QString, label);
    QFETCH(QStringList, items);
    QFETCH(QString, title);

    TestProgramDirectory dir;
    dir.writeFile("First.lng", kSampleFile);
    dir.writeFile("Second.lng", second);
    SampleWindow sample;
    auto* language = new WindowTranslator(&sample.window, kSamplePaths);
    language->setLanguageFile(dir.file("First.lng"));
    QVERIFY(language->translate());
    QCOMPARE(sample.label->text, QString("Nom"));
    QCOMPARE(sample.holder->items.size(), 3);
    if (codeSetsText)
        sample.label->text = "Value 7";

    // Texts no file touched stay as they are; the same switch twice changes nothing more.
    for (int time = 0; time < 2; ++time) {
        QVERIFY(language->switchLanguage(dir.file("Second.lng"), second.isEmpty()));
        QCOMPARE(sample.label->text, label);
        QCOMPARE(sample.holder->items, items);
        QCOMPARE(sample.window.windowTitle, title);
        QCOMPARE(sample.untouched->text, QString("Keep me"));
        QCOMPARE(sample.deepNamesake->text, QString("Deep"));
    }
    // And back to the first language, whatever came between.
    QVERIFY(language->switchLanguage(dir.file("First.lng"), false));
    QCOMPARE(sample.label->text, QString("Nom"));
    QCOMPARE(sample.window.windowTitle, QString("Fenster"));
}
