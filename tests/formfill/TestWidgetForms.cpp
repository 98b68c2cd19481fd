#include "FormFillCommands.h"
#include "FormMap.h"
#include "PageFormAdapter.h"
#include "PageTestKit.h"
#include "TestSupport.h"

#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineProfile>

namespace {

QStringList recordedIn(const QString& mapPath)
{
    QStringList recorded;
    for (const FormMap::Control& c : FormMap::load(mapPath).controls())
        recorded << c.name + QLatin1Char('|') + c.type + QLatin1Char('|') + c.dataField;
    return recorded;
}

// The same JSON text for the same data, whatever its spacing and key order.
QByteArray compact(const QByteArray& json)
{
    return QJsonDocument::fromJson(json).toJson(QJsonDocument::Compact);
}

// A page and its adapter, made for each test and taken down in the reverse order.
struct WidgetPage {
    PageTestKit kit;
    RecordingMessageSink sink;
    QWebEngineProfile profile;
    QWebEnginePage page {&profile};
    PageFormAdapter adapter {&page};
};

} // namespace

// Forms as sites build them today, in a real offscreen web engine page: pages
// made with unmodified releases of widget libraries (tests/data/formfill/vendor),
// controls without a name, lists whose options come later, and a second fill
// for another program on a page that the first one filled.
class TestWidgetForms : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { m_f = std::make_unique<WidgetPage>(); }
    void cleanup() { m_f.reset(); }

    void widgetLibrariesTakeAnotherProgramsValues_data();
    void widgetLibrariesTakeAnotherProgramsValues();
    void refillForAnotherProgramLeavesNothingOfTheFirst();
    void richTextEditorIsPreviewedAndEmptied();
    void deeplyNestedEditorIsReadWithoutExhaustingTheStack();
    void controlsWithoutANameAreKeyedByTheirId();
    void valuesGoInAsTypingAndTabWouldPutThem();
    void optionsThatArriveLaterAreChosen();
    void saveFormWithoutAFormWritesNothing();

private:
    bool load(const QString& file)
    {
        return PageTestKit::load(&m_f->page, QUrl::fromLocalFile(testDataPath(str("formfill/") + file)));
    }
    QVariant js(const QString& script) { return PageTestKit::js(&m_f->page, script); }
    QByteArray siteState() { return compact(js(str("siteState()")).toString().toUtf8()); }
    QJsonObject siteObject() { return QJsonDocument::fromJson(siteState()).object(); }
    // Makes name the current program, with description as its Desc2000 and Desc80.
    FormFillContext switchTo(const QString& name, const QString& description)
    {
        m_f->kit.properties[PropertyCatalogue::ProgramName].setValue(name);
        m_f->kit.properties[PropertyCatalogue::Desc2000].setValue(description);
        m_f->kit.properties[PageField::Desc80].setValue(description);
        m_f->kit.refreshRows();
        FormFillContext context = m_f->kit.context();
        context.programName = name;
        return context;
    }
    FormFillCommands::Outcome run(FormFillCommands::Command command, const FormFillContext& context)
    {
        return FormFillCommands::runAndWait(command, m_f->adapter, context);
    }

    std::unique_ptr<WidgetPage> m_f;
};

void TestWidgetForms::widgetLibrariesTakeAnotherProgramsValues_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("byHand"); // NoteNest's values, as the author gives them
    // The map that saving them writes; empty where the fill that follows shows
    // it (a control or data field the save missed would leave that fill short).
    QTest::addColumn<QStringList>("recorded");
    QTest::addColumn<QByteArray>("values");   // PixelPilot's site values
    QTest::addColumn<QString>("before");      // what the author does before the fill
    QTest::addColumn<QByteArray>("expected"); // what the site receives for PixelPilot
    // The editor is learned by its hidden input as a memo; the date picker's
    // unnamed month list is not learned, and follows the date by itself.
    QTest::newRow("Quill, Tom Select, Select2, flatpickr")
        << str("widgets.html")
        << str("typeAs('NoteNest', 'NoteNest keeps notes.\\nFind anything.', 'u', 'l', '2024-05-17')")
        << QStringList({str("title|text|Program"), str("description|richtext|Desc80"), str("category|select-one|"),
               str("platform|select-one|"), str("released|text|")})
        << QByteArray("[category]\nValue=Office;\n[platform]\nValue=Mac;\n[released]\nValue=2025-01-31\n") << QString()
        << QByteArray(R"({"form": ["title=PixelPilot", "description=PixelPilot edits pictures.\nExport to PNG.",
            "category=o", "platform=m", "released=2025-01-31"], "editor": "PixelPilot edits pictures.\nExport to PNG.\n",
            "category": "o", "categoryBox": "Office", "platform": ["m"], "platformBox": "Mac",
            "released": ["2025-01-31"], "month": "0"})");
    QTest::newRow("React")
        << str("react.html") << str("typeAs('NoteNest', 'NoteNest keeps notes.\\nFind anything.', 'u')")
        << QStringList() << QByteArray("[category]\nValue=Office;\n") << QString()
        << QByteArray(R"({"form": ["title=PixelPilot", "description=PixelPilot edits pictures.\nExport to PNG.",
            "category=o"], "react": {"title": "PixelPilot", "description": "PixelPilot edits pictures.\nExport to PNG.",
            "category": "o"}})");
    QTest::newRow("Vue")
        << str("vue.html") << str("typeAs('NoteNest', 'NoteNest keeps notes.\\nFind anything.', 'u', true)")
        << QStringList() << QByteArray("[category]\nValue=Office;\n[freewareyes]\nValue=False\n") << QString()
        << QByteArray(R"({"form": ["title=PixelPilot", "description=PixelPilot edits pictures.\nExport to PNG.",
            "category=o"], "vue": {"title": "PixelPilot", "description": "PixelPilot edits pictures.\nExport to PNG.",
            "category": "o", "freeware": false}})");
    QTest::newRow("IMask") << str("mask.html") << str("typeAs('NoteNest', '5551234567')") << QStringList()
                           << QByteArray("[phone]\nValue=(555) 987-6543\n") << QString()
                           << QByteArray(
                                  R"({"form": ["title=PixelPilot", "phone=(555) 987-6543"], "phone": "5559876543"})");
    // The author left the version empty on the way through the form; PixelPilot's homepage lacks its scheme,
    // which the validator must see as typing and leaving the field would show it.
    QTest::newRow("Bouncer") << str("validate.html") << str("typeAs('NoteNest', '1.4', 'https://notenest.example/')")
                             << QStringList()
                             << QByteArray("[version]\nValue=2.0.1\n[homepage]\nValue=pixelpilot.example\n")
                             << str("document.forms[0].version.dispatchEvent(new FocusEvent('blur'))")
                             << QByteArray(
                                    R"({"form": ["title=PixelPilot", "version=2.0.1", "homepage=pixelpilot.example"],
            "flagged": ["homepage"], "messages": ["Please enter a URL."]})");
}

void TestWidgetForms::widgetLibrariesTakeAnotherProgramsValues()
{
    QFETCH(QString, page);
    QFETCH(QString, byHand);
    QFETCH(QByteArray, values);
    QFETCH(QString, before);
    QFETCH(QByteArray, expected);
    const auto program = [this](bool noteNest) {
        return noteNest ? switchTo(str("NoteNest"), str("NoteNest keeps notes.\r\nFind anything.\r\n"))
                        : switchTo(str("PixelPilot"), str("PixelPilot edits pictures.\r\nExport to PNG.\r\n"));
    };
    // The author fills the form by hand for NoteNest and saves it.
    QVERIFY(load(page));
    js(byHand);
    const QByteArray noteNest = siteState();
    QVERIFY2(noteNest.contains("NoteNest"), noteNest.constData());
    QCOMPARE(run(FormFillCommands::Command::SaveForm, program(true)).status, str("Form saved"));
    QCOMPARE(m_f->sink.texts(), QStringList());
    QFETCH(QStringList, recorded);
    if (!recorded.isEmpty())
        QCOMPARE(recordedIn(m_f->kit.dir.file(str("SiteData/Soft Site.xml"))), recorded);

    // PixelPilot on a fresh page, then NoteNest and PixelPilot again on the
    // same page: each time the form and the libraries hold that program's
    // values alone. Drawn boxes are driven after the fill: wait for them.
    m_f->kit.dir.writeFile(str("SiteData/PixelPilotSoft Site.ini"), values);
    QVERIFY(load(page));
    js(before);
    for (const bool forNoteNest : {false, true, false}) {
        QCOMPARE(run(FormFillCommands::Command::AutoFill, program(forNoteNest)).status, str("Form loaded"));
        QCOMPARE(m_f->sink.texts(), QStringList());
        QTRY_COMPARE_WITH_TIMEOUT(siteState(), forNoteNest ? noteNest : compact(expected), 10000);
    }
}

void TestWidgetForms::refillForAnotherProgramLeavesNothingOfTheFirst()
{
    m_f->kit.writeMap({str("title=Program"), str("notes=Desc80"), str("oneline=Desc45"), str("same=Desc45"),
        str("lictrial="), str("untouched=Desc45")});
    QVERIFY(load(str("preview.html")));
    const FormFillContext noteNest = switchTo(str("NoteNest"), str("NoteNest keeps notes.\r\nFind anything.\r\n"));
    m_f->kit.dir.writeFile(str("SiteData/NoteNestSoft Site.ini"), "[lictrial]\nValue=True\n");
    QCOMPARE(run(FormFillCommands::Command::AutoFill, noteNest).statusLine(), str("Form loaded"));
    // A value pasted by hand for NoteNest counts as written for it.
    js(str("document.querySelector('[name=untouched]').focus(); document.querySelector('[name=untouched]').value = "
           "'NoteNest pasted'"));
    m_f->adapter.notePaste(str("NoteNest"));

    // PixelPilot has no description and no values file: the Part leaves such
    // controls unchanged, which would send NoteNest's text for PixelPilot.
    const FormFillContext pixelPilot = switchTo(str("PixelPilot"), QString());
    const FormFillCommands::Outcome preview = run(FormFillCommands::Command::PreviewWithMarks, pixelPilot);
    QStringList previewed;
    for (const FormControl& c : preview.preview)
        previewed << c.name + QLatin1Char('=') + c.value + (c.checked ? str(" [x]") : QString());
    QCOMPARE(previewed, QStringList({str("title=PixelPilot"), str("notes="), str("lic=trial"), str("untouched=")}));
    QCOMPARE(preview.marked, 4);
    QCOMPARE(js(str("document.querySelector('[name=notes]').title")).toString(), str("Cleared: written for NoteNest"));
    QCOMPARE(js(str("document.querySelector('[name=notes]').value")).toString(),
        str("NoteNest keeps notes.\nFind anything."));

    const FormFillCommands::Outcome fill = run(FormFillCommands::Command::AutoFill, pixelPilot);
    QCOMPARE(fill.statusLine(), str("Form loaded; 3 fields written for NoteNest were cleared"));
    const QString values = str("Array.from(document.forms[0].elements).filter(e => e.type !== 'radio' && e.type !== "
                               "'checkbox' && e.tagName !== 'SELECT').map(e => e.name + '=' + e.value).join('|')");
    QCOMPARE(
        js(values).toString(), str("title=PixelPilot|same=My Tool|mail=|count=7|oneline=|notes=|stars=3|untouched="));
    QCOMPARE(js(str("document.querySelector('[value=trial]').checked")).toBool(), false);
    // Nothing is left to clear: the same fill again changes nothing.
    const FormFillCommands::Outcome again = run(FormFillCommands::Command::AutoFill, pixelPilot);
    QCOMPARE(again.statusLine(), str("Form loaded"));
    QCOMPARE(again.changed, 0);
}

void TestWidgetForms::richTextEditorIsPreviewedAndEmptied()
{
    m_f->kit.writeMap({str("title=Program"), str("description=Desc80")});
    QVERIFY(load(str("widgets.html")));
    const FormFillContext noteNest = switchTo(str("NoteNest"), str("NoteNest keeps notes.\r\n\r\nFind anything.\r\n"));
    // The preview works the editor's text out without touching it.
    const FormFillCommands::Outcome preview = run(FormFillCommands::Command::Preview, noteNest);
    QCOMPARE(preview.status, str("Auto fill preview: 2 fields would change"));
    QCOMPARE(preview.preview.last().value, str("NoteNest keeps notes.\n\nFind anything."));
    QCOMPARE(siteObject().value(str("editor")).toString(), str("\n"));
    // An empty line stays an empty paragraph in the editor's own model.
    QCOMPARE(run(FormFillCommands::Command::AutoFill, noteNest).status, str("Form loaded"));
    QCOMPARE(siteObject().value(str("editor")).toString(), str("NoteNest keeps notes.\n\nFind anything.\n"));

    // PixelPilot has no description: the editor and its hidden input are emptied.
    const FormFillContext pixelPilot = switchTo(str("PixelPilot"), QString());
    const FormFillCommands::Outcome fill = run(FormFillCommands::Command::AutoFill, pixelPilot);
    QCOMPARE(fill.statusLine(), str("Form loaded; 1 field written for NoteNest was cleared"));
    const QJsonObject state = siteObject();
    QCOMPARE(state.value(str("editor")).toString(), str("\n"));
    QVERIFY(state.value(str("form")).toVariant().toStringList().contains(str("description=")));
}

void TestWidgetForms::deeplyNestedEditorIsReadWithoutExhaustingTheStack()
{
    QVERIFY(load(str("keys.html")));
    // A hostile page: an editor nested far deeper than any call stack goes
    // (kept out of the layout, which the engine would not survive).
    js(str("const host = document.createElement('div'); host.id = 'deep'; host.hidden = true;"
           "host.setAttribute('contenteditable', 'true'); document.forms[0].appendChild(host); let n = host;"
           "for (let i = 0; i < 20000; ++i) { const s = document.createElement(i % 2 ? 'span' : 'p');"
           " n.appendChild(s); n = s; }"
           "n.textContent = 'bottom';"));
    const PageFormAdapter::SnapshotResult result = m_f->adapter.snapshot();
    QVERIFY2(result.ok, qPrintable(result.error));
    const FormControl& deep = result.snapshot.controls.last();
    QCOMPARE(deep.id, str("deep"));
    QCOMPARE(deep.type, str("richtext"));
    QCOMPARE(deep.value, str("bottom"));
}

void TestWidgetForms::controlsWithoutANameAreKeyedByTheirId()
{
    // Each unnamed control takes its own value; one with neither name nor id is never filled.
    // (The save keys controls with the same function as the fill.)
    m_f->kit.writeValues("[homepage]\nValue=https://pixel.example\n[support]\nValue=https://pixel.example/s\n"
                         "[agreeyes]\nValue=False\n");
    m_f->kit.writeMap({str("homepage="), str("support="), str("agreeyes="), str("=Program")});
    QVERIFY(load(str("keys.html")));
    js(str("document.querySelector('.nameless').value = 'left'; document.getElementById('agree').checked = true"));
    QCOMPARE(run(FormFillCommands::Command::AutoFill, m_f->kit.context()).status, str("Form loaded"));
    QCOMPARE(js(str("[homepage.value, support.value, document.querySelector('.nameless').value, "
                    "document.querySelector('.month').value, agree.checked].join('|')"))
                 .toString(),
        str("https://pixel.example|https://pixel.example/s|left|March|false"));
}

void TestWidgetForms::valuesGoInAsTypingAndTabWouldPutThem()
{
    m_f->kit.writeMap({str("title=Program"), str("notes="), str("agreeyes="), str("same=")});
    m_f->kit.writeValues("[notes]\nValue=two\n[agreeyes]\nValue=True\n[same]\nValue=kept\n");
    QVERIFY(load(str("keys.html")));
    js(str("document.getElementById('search').focus(); window.log = []"));
    QCOMPARE(run(FormFillCommands::Command::AutoFill, m_f->kit.context()).status, str("Form loaded"));
    // The focus goes through each changed control and back to the field the
    // user was in; "same" already holds its value and hears nothing. (This
    // page has no keyboard of its own: the engine sends the user's field no
    // focus events, the fill sends the filled controls theirs.)
    const QStringList log = js(str("log.join(' ')")).toString().split(QLatin1Char(' '));
    QCOMPARE(log,
        QStringList({str("focus:title"), str("input:title"), str("change:title"), str("blur:title"), str("focus:notes"),
            str("input:notes"), str("change:notes"), str("blur:notes"), str("focus:agree"), str("click:agree"),
            str("input:agree"), str("change:agree"), str("blur:agree")}));
    QCOMPARE(js(str("document.activeElement.id")).toString(), str("search"));
}

void TestWidgetForms::optionsThatArriveLaterAreChosen()
{
    m_f->kit.writeMap({str("category="), str("subcategory="), str("title=Program")});
    m_f->kit.writeValues("[category]\nValue=Utilities;\n[subcategory]\nValue=Text editors;\n");
    QVERIFY(load(str("dependent.html")));
    QCOMPARE(run(FormFillCommands::Command::AutoFill, m_f->kit.context(5000)).status, str("Form loaded"));
    QCOMPARE(js(str("document.forms[0].category.value")).toString(), str("Utilities"));
    QTRY_COMPARE_WITH_TIMEOUT(js(str("document.forms[0].subcategory.value")).toString(), str("Text editors"), 10000);
    QCOMPARE(js(str("delivered")).toInt(), 1);

    // A value that never arrives among the options chooses nothing.
    m_f->kit.writeValues("[category]\nValue=Games;\n[subcategory]\nValue=Text editors;\n");
    QVERIFY(load(str("dependent.html")));
    QCOMPARE(run(FormFillCommands::Command::AutoFill, m_f->kit.context(5000)).status, str("Form loaded"));
    QTRY_COMPARE_WITH_TIMEOUT(js(str("delivered")).toInt(), 1, 10000);
    QCOMPARE(js(str("document.forms[0].subcategory.value")).toString(), QString());
}

void TestWidgetForms::saveFormWithoutAFormWritesNothing()
{
    const QByteArray map = "<XML_SITE_SUBMIT_INFO><CONTROL Name=\"title\" Type=\"text\" DataField=\"Program\"/>"
                           "</XML_SITE_SUBMIT_INFO>\r\n";
    m_f->kit.dir.writeFile(str("SiteData/Soft Site.xml"), map);
    // No page loaded at all.
    QCOMPARE(run(FormFillCommands::Command::SaveForm, m_f->kit.context()).status,
        str("No page is loaded; nothing was saved"));
    // A page whose only controls are hidden or unnamed.
    QVERIFY(load(str("noform.html")));
    js(str("document.body.insertAdjacentHTML('beforeend', '<input type=hidden name=token value=1><input type=text>')"));
    QCOMPARE(run(FormFillCommands::Command::SaveForm, m_f->kit.context()).status,
        str("The page holds no form; nothing was saved"));
    QCOMPARE(m_f->kit.dir.readFile(str("SiteData/Soft Site.xml")), map);
    QVERIFY(!QFile::exists(m_f->kit.dir.file(str("SiteData/My ToolSoft Site.ini"))));
    QCOMPARE(m_f->sink.texts(), QStringList());
}

int main(int argc, char** argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QGuiApplication app(argc, argv);
    TestWidgetForms test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestWidgetForms.moc"
