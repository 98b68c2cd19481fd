#include "DataFixture.h"
#include "DataSelector.h"
#include "DataSelectorRows.h"
#include "MessageTranslator.h"
#include "OptionsDialog.h"
#include "PowerPasteMenu.h"
#include "QuickPasteMenu.h"
#include "SiteListModel.h"
#include "SiteSelector.h"
#include "Sql.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

namespace {

template<typename T> T* child(QWidget& window, const char* name)
{
    T* widget = window.findChild<T*>(QString::fromLatin1(name));
    if (!widget)
        qFatal("no child %s", name);
    return widget;
}

// A data module with sites that tell the filters apart, the site selector
// and the data selector on it, as the main window has them.
class OptionsFixture : public DataFixture {
public:
    OptionsFixture()
    {
        open();
        for (const char* schema : {"Sites", "ProgSite", "Programs"})
            Sql::exec(dm().database(), QStringLiteral("PRAGMA %1.synchronous = OFF").arg(QLatin1String(schema)));
        const QVariant null;
        // The rank condition binds no tighter than the others: a dead site rated
        // above the rank stays out.
        addSite("A rated five, dead", {{"Rating", 5}, {"Pad", 0}, {"Dead", 1}});
        addSite("B rated two, polls", {{"Rating", 2}, {"Pad", 1}, {"PollsPAD", 1}});
        addSite("C unrated, polls", {{"Rating", null}, {"Pad", 1}, {"PollsPAD", 1}});
        addSite("D unrated, pad only", {{"Rating", null}, {"Pad", 1}, {"PollsPAD", 0}});
        addSite("E unrated, polls, hidden", {{"Rating", null}, {"Pad", 1}, {"PollsPAD", 1}, {"Hide", 1}});
        addSite("F rated four", {{"Rating", 4}});
        addSite("G rated three", {{"Rating", 3}, {"Pad", 1}, {"PollsPAD", 1}});
        rows = std::make_unique<DataSelectorRows>(properties());
        dataSelector = std::make_unique<DataSelector>(*rows, config(), powerPaste, quickPaste);
        sites = std::make_unique<SiteSelector>(dm(), config());
        dialog = std::make_unique<OptionsDialog>(config(), properties(), &dm(), dataSelector.get());
    }

    void show()
    {
        dialog->show();
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
    }

    QStringList listedSites() const
    {
        QStringList names;
        const SiteListModel& model = sites->model();
        for (int row = 0; row < model.rowCount(); ++row)
            names.append(model.index(row, SiteListModel::SiteNameColumn).data().toString());
        return names;
    }

    template<typename T> T* control(const char* name) { return child<T>(*dialog, name); }
    QLineEdit* rank() { return control<QLineEdit>("edtSiteRank"); }
    QLineEdit* perColumn() { return control<QLineEdit>("PowerPasteItemsPerColumnEdit"); }
    QListWidget* checkList() { return control<QListWidget>("PowerPasteItemsCheckListBox"); }
    QPushButton* ok() { return control<QPushButton>("OKButton"); }

    void typeInto(QLineEdit* edit, const QString& text)
    {
        edit->setFocus(Qt::OtherFocusReason);
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }

    std::unique_ptr<DataSelectorRows> rows;
    PowerPasteMenu powerPaste;
    QuickPasteMenu quickPaste;
    std::unique_ptr<DataSelector> dataSelector;
    std::unique_ptr<SiteSelector> sites;
    std::unique_ptr<OptionsDialog> dialog;
};

// Every setting the dialog can change.
QVariantList settingsOf(OptionsFixture& f)
{
    const Settings& c = f.config();
    QVariantList values {c.autoFillFormFields, c.siteFilter, c.hostAddress, c.from, c.authentication, c.emailLoginId,
        c.emailPassword, c.browserContextMenuIndex, c.menuItemsPerColumn, c.emailPort, c.emailSecurity};
    for (int i = 0; i < PropertyCatalogue::Count; ++i)
        values.append(f.properties()[i].inPowerPaste);
    return values;
}

int propertyItems(const PowerPasteMenu& menu)
{
    int count = 0;
    for (int i = 0; i < menu.count(); ++i)
        count += menu.item(i).kind == PowerPasteMenu::ItemKind::Property;
    return count;
}

// Changes a control on every page.
void changeEveryPage(OptionsFixture& f)
{
    f.control<QCheckBox>("AutomaticallyFillFormCheckBox")->toggle();
    f.rank()->setText("4");
    f.control<QCheckBox>("chkPADEnabled")->setChecked(true);
    f.control<QLineEdit>("edtSMTPHost")->setText("smtp.example.test");
    f.control<QCheckBox>("chkAuthentication")->setChecked(true);
    f.control<QLineEdit>("edtEmailPassword")->setText("secret");
    f.control<QSpinBox>("edtSMTPPort")->setValue(2525);
    f.control<QComboBox>("cboSecurity")->setCurrentIndex(2);
    f.control<QRadioButton>("BrowserContextMenuItem2")->setChecked(true);
    f.checkList()->item(20)->setCheckState(Qt::Unchecked);
    f.perColumn()->setText("5");
}

} // namespace

class TestOptionsDialog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { useLanguageOf(nullptr); }

    void pagesAndControls()
    {
        OptionsFixture f;
        OptionsDialog& dialog = *f.dialog;
        QCOMPARE(dialog.objectName(), QStringLiteral("frmOptions"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Options"));
        auto* pages = dialog.findChild<QTabWidget*>();
        QStringList titles;
        for (int i = 0; i < pages->count(); ++i)
            titles.append(pages->tabText(i));
        QCOMPARE(titles, QStringList({"General", "E-Mail", "Browser Menu", "Power Paste Menu"}));
        QCOMPARE(pages->currentIndex(), 0);
        QVERIFY(f.ok()->isDefault());
        QCOMPARE(f.ok()->text(), QStringLiteral("OK"));
        QCOMPARE(f.control<QPushButton>("CancelButton")->text(), QStringLiteral("Cancel"));
        QCOMPARE(f.control<QCheckBox>("AutomaticallyFillFormCheckBox")->text(),
            QStringLiteral("Automatically fill form fields"));
        QVERIFY(f.control<QCheckBox>("AutomaticallyFillFormCheckBox")->isChecked());
        QCOMPARE(f.rank()->text(), QStringLiteral("0"));
        QCOMPARE(f.control<QCheckBox>("chkPADEnabled")->text(), QStringLiteral("PAD Enabled"));
        QCOMPARE(f.control<QCheckBox>("chkPADPolling")->text(), QStringLiteral("PAD Polling"));
        for (const char* name : {"edtSMTPHost", "edtDefaultFromEMailAddress", "edtEmailLoginID"})
            QVERIFY(f.control<QLineEdit>(name)->text().isEmpty());
        QCOMPARE(f.control<QCheckBox>("chkAuthentication")->text(), QStringLiteral("Enable authentication"));
        auto* group = f.control<QGroupBox>("BrowserContextMenuGroupBox");
        QCOMPARE(group->title(), QStringLiteral("Browser Context Menu"));
        const QList<QRadioButton*> radios = group->findChildren<QRadioButton*>();
        QCOMPARE(radios.size(), 3);
        QCOMPARE(radios.at(0)->text(), QStringLiteral("Browser's default context menu"));
        QVERIFY(radios.at(1)->isChecked()); // the default index 1, Power Paste
        QCOMPARE(f.checkList()->count(), 47);
        QCOMPARE(f.checkList()->item(13)->text(), QString());
        QCOMPARE(f.checkList()->item(0)->checkState(), Qt::Checked);
        QCOMPARE(f.perColumn()->text(), QStringLiteral("16"));
    }

    void passwordShowsHashes()
    {
        OptionsFixture f;
        auto* password = f.control<QLineEdit>("edtEmailPassword");
        QCOMPARE(password->echoMode(), QLineEdit::Password);
        password->setText("abc");
        QCOMPARE(password->displayText(), QStringLiteral("###"));
        QCOMPARE(password->text(), QStringLiteral("abc"));
    }

    void checkListKeepsTheUntranslatedCaptions()
    {
        OptionsFixture f;
        f.dir.writeFile("German.lng", "[Messages]\nProg URL=Programm-URL\n");
        f.config().language = QStringLiteral("German");
        useLanguageOf(&f.config());
        QCOMPARE(translateMsg("Prog URL"), QStringLiteral("Programm-URL"));
        OptionsDialog dialog(f.config(), f.properties(), &f.dm(), nullptr);
        QCOMPARE(
            child<QListWidget>(dialog, "PowerPasteItemsCheckListBox")->item(16)->text(), QStringLiteral("Prog URL"));
        useLanguageOf(nullptr);
    }

    void rankThreeAndBothPadBoxesNarrowTheSiteList()
    {
        OptionsFixture f;
        f.show();
        QCOMPARE(f.listedSites(),
            QStringList(
                {"B rated two, polls", "C unrated, polls", "D unrated, pad only", "F rated four", "G rated three"}));
        f.typeInto(f.rank(), "3");
        for (const char* name : {"chkPADEnabled", "chkPADPolling"}) {
            auto* box = f.control<QCheckBox>(name);
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
            QVERIFY(box->isChecked());
        }
        QTest::mouseClick(f.ok(), Qt::LeftButton);
        QCOMPARE(f.dialog->result(), int(QDialog::Accepted));
        QCOMPARE(f.config().siteFilter,
            QStringLiteral(
                "(Rating > 3 OR Rating = Null) AND PAD=True AND PollsPAD=True AND Dead=False AND Hide=False"));
        QCOMPARE(f.listedSites(), QStringList({"C unrated, polls"}));

        // Rank alone: rated above 3 or unrated, neither dead nor hidden.
        f.dialog = std::make_unique<OptionsDialog>(f.config(), f.properties(), &f.dm(), f.dataSelector.get());
        f.show();
        QCOMPARE(f.rank()->text(), QStringLiteral("3"));
        for (const char* name : {"chkPADEnabled", "chkPADPolling"})
            f.control<QCheckBox>(name)->setChecked(false);
        QTest::mouseClick(f.ok(), Qt::LeftButton);
        QCOMPARE(f.config().siteFilter, QStringLiteral("(Rating > 3 OR Rating = Null) AND Dead=False AND Hide=False"));
        QCOMPARE(f.listedSites(), QStringList({"C unrated, polls", "D unrated, pad only", "F rated four"}));
    }

    void reopeningShowsTheStoredFilter()
    {
        OptionsFixture f;
        f.config().siteFilter
            = QStringLiteral("Rating > 3 OR Rating = Null AND PollsPAD=True AND Dead=False AND Hide=False");
        OptionsDialog dialog(f.config(), f.properties(), &f.dm(), nullptr);
        QCOMPARE(child<QLineEdit>(dialog, "edtSiteRank")->text(), QStringLiteral("3"));
        QVERIFY(!child<QCheckBox>(dialog, "chkPADEnabled")->isChecked());
        QVERIFY(child<QCheckBox>(dialog, "chkPADPolling")->isChecked());
    }

    void rankWithLettersByEnterAndByMouse()
    {
        {
            OptionsFixture f;
            f.show();
            f.typeInto(f.rank(), "5x");
            // Enter while the box still has the focus: the default button, without leaving the box.
            QTest::keyClick(f.rank(), Qt::Key_Return);
            QCOMPARE(f.dialog->result(), int(QDialog::Accepted));
            QCOMPARE(
                f.config().siteFilter, QStringLiteral("(Rating > 5 OR Rating = Null) AND Dead=False AND Hide=False"));
            QCOMPARE(f.listedSites(), QStringList({"C unrated, polls", "D unrated, pad only"}));
        }
        {
            OptionsFixture f;
            f.show();
            f.typeInto(f.rank(), "5x");
            QTest::mouseClick(f.ok(), Qt::LeftButton);
            QCOMPARE(f.dialog->result(), int(QDialog::Accepted));
            QCOMPARE(f.rank()->text(), QStringLiteral("5"));
            QCOMPARE(
                f.config().siteFilter, QStringLiteral("(Rating > 5 OR Rating = Null) AND Dead=False AND Hide=False"));
        }
    }

    void updateServerIsOnTheGeneralPage()
    {
        OptionsFixture f;
        RecordingMessageSink sink;
        f.config().updateServer = QStringLiteral("http://127.0.0.1/old");
        f.dialog = std::make_unique<OptionsDialog>(f.config(), f.properties(), &f.dm(), f.dataSelector.get());
        f.show();
        auto* server = f.control<QLineEdit>("edtUpdateServer");
        QVERIFY(f.control<QWidget>("tabGeneral")->isAncestorOf(server));
        QCOMPARE(server->text(), QStringLiteral("http://127.0.0.1/old"));

        // Not a server address: named, focused, nothing applied.
        f.control<QTabWidget>("PageControl1")->setCurrentIndex(1);
        f.typeInto(server, QStringLiteral("updates.example.com"));
        QTest::mouseClick(f.ok(), Qt::LeftButton);
        QCOMPARE(sink.messages.size(), 1);
        QVERIFY2(sink.messages.first().text.startsWith("Update server: \"updates.example.com\""),
            qPrintable(sink.texts().join("|")));
        QVERIFY(f.dialog->isVisible());
        QCOMPARE(f.control<QTabWidget>("PageControl1")->currentIndex(), 0);
        QCOMPARE(QApplication::focusWidget(), server);
        QCOMPARE(f.config().updateServer, QStringLiteral("http://127.0.0.1/old"));

        f.typeInto(server, QStringLiteral("https://127.0.0.1:8443/quillet"));
        QTest::mouseClick(f.ok(), Qt::LeftButton);
        QCOMPARE(f.dialog->result(), int(QDialog::Accepted));
        QCOMPARE(f.config().updateServer, QStringLiteral("https://127.0.0.1:8443/quillet"));
        QCOMPARE(sink.messages.size(), 1);
    }

    void leavingTheRankBoxNormalisesIt()
    {
        OptionsFixture f;
        f.show();
        f.typeInto(f.rank(), "abc7");
        f.control<QCheckBox>("chkPADEnabled")->setFocus(Qt::TabFocusReason);
        QCOMPARE(f.rank()->text(), QStringLiteral("7"));
        // Letters are refused as they are typed; an emptied box reads 0.
        f.typeInto(f.rank(), "none");
        QCOMPARE(f.rank()->text(), QStringLiteral("7"));
        f.rank()->clear();
        f.control<QCheckBox>("chkPADEnabled")->setFocus(Qt::TabFocusReason);
        QCOMPARE(f.rank()->text(), QStringLiteral("0"));
        // A lone minus gives no number: it stays for OK to name.
        f.typeInto(f.rank(), "-");
        f.control<QCheckBox>("chkPADEnabled")->setFocus(Qt::TabFocusReason);
        QCOMPARE(f.rank()->text(), QStringLiteral("-"));

        // The box takes digits and a leading minus only.
        const std::pair<const char*, const char*> typedAndShown[]
            = {{"x9y", "9"}, {"-12", "-12"}, {"1-2", "12"}, {"3.5 ", "35"}, {"+7", "7"}};
        for (const auto& [typed, shown] : typedAndShown) {
            f.rank()->clear();
            f.typeInto(f.rank(), QString::fromLatin1(typed));
            QCOMPARE(f.rank()->text(), QString::fromLatin1(shown));
        }
    }

    void aBadItemsPerColumnAppliesNothing_data()
    {
        QTest::addColumn<QString>("perColumn");
        // The other texts a number check refuses are the options model's tests.
        QTest::newRow("zero") << "0";
        QTest::newRow("letters") << "ten";
    }

    void aBadItemsPerColumnAppliesNothing()
    {
        QFETCH(QString, perColumn);
        OptionsFixture f;
        RecordingMessageSink sink;
        f.show();
        const QVariantList before = settingsOf(f);
        const QStringList listed = f.listedSites();
        changeEveryPage(f);
        f.perColumn()->setText(perColumn);
        f.control<QTabWidget>("PageControl1")->setCurrentIndex(0);
        QTest::mouseClick(f.ok(), Qt::LeftButton);
        QCOMPARE(sink.messages.size(), 1);
        QVERIFY2(sink.messages.first().text.startsWith("Items per column:"), qPrintable(sink.texts().join("|")));
        QVERIFY(f.dialog->isVisible());
        QCOMPARE(f.dialog->result(), int(QDialog::Rejected));
        QCOMPARE(f.control<QTabWidget>("PageControl1")->currentIndex(), 3);
        QCOMPARE(QApplication::focusWidget(), f.perColumn());
        QCOMPARE(settingsOf(f), before);
        QCOMPARE(f.listedSites(), listed);

        // Corrected, the same OK applies everything.
        f.perColumn()->setText("5");
        QTest::mouseClick(f.ok(), Qt::LeftButton);
        QCOMPARE(f.dialog->result(), int(QDialog::Accepted));
        QCOMPARE(f.config().menuItemsPerColumn, 5);
        QCOMPARE(f.config().hostAddress, QStringLiteral("smtp.example.test"));
        QCOMPARE(f.config().emailPort, 2525);
        QCOMPARE(f.config().emailSecurity, QStringLiteral("tls"));
        QCOMPARE(f.config().browserContextMenuIndex, 2);
    }

    void aRankOfOnlyAMinusAppliesNothing()
    {
        OptionsFixture f;
        RecordingMessageSink sink;
        f.show();
        const QVariantList before = settingsOf(f);
        changeEveryPage(f);
        f.rank()->setText("-");
        f.control<QTabWidget>("PageControl1")->setCurrentIndex(3);
        QTest::mouseClick(f.ok(), Qt::LeftButton);
        QCOMPARE(sink.messages.size(), 1);
        QVERIFY(sink.messages.first().text.startsWith("Site rank:"));
        QVERIFY(f.dialog->isVisible());
        QCOMPARE(f.control<QTabWidget>("PageControl1")->currentIndex(), 0);
        QCOMPARE(QApplication::focusWidget(), f.rank());
        QCOMPARE(settingsOf(f), before);
    }

    void cancelAndCloseChangeNothing()
    {
        const QByteArray ini = "[Config]\nSiteFilter=PAD=True AND Dead=False AND Hide=False\n";
        for (bool byCancel : {true, false}) {
            OptionsFixture f;
            f.dir.writeFile("quillet.ini", ini);
            f.show();
            const QVariantList before = settingsOf(f);
            const QStringList listed = f.listedSites();
            changeEveryPage(f);
            if (byCancel)
                QTest::mouseClick(f.control<QPushButton>("CancelButton"), Qt::LeftButton);
            else
                f.dialog->close();
            QVERIFY(!f.dialog->isVisible());
            QCOMPARE(f.dialog->result(), int(QDialog::Rejected));
            QCOMPARE(settingsOf(f), before);
            QCOMPARE(f.listedSites(), listed);
            QCOMPARE(f.dir.readFile("quillet.ini"), ini);
        }
    }

    void okRebuildsThePowerPasteMenuAndWritesNoFile()
    {
        OptionsFixture f;
        f.dir.writeFile("quillet.ini", "");
        f.show();
        QCOMPARE(propertyItems(f.powerPaste), 46);
        f.perColumn()->setText("5");
        QTest::mouseClick(f.ok(), Qt::LeftButton);
        QCOMPARE(f.dialog->result(), int(QDialog::Accepted));
        const QVector<QVector<int>> columns = f.powerPaste.columns();
        // A break at every fifth position: full columns of five, the fixed
        // items after the properties in the last one.
        QCOMPARE(columns.size(), 10);
        for (int i = 0; i + 1 < columns.size(); ++i)
            QCOMPARE(columns.at(i).size(), 5);
        QCOMPARE(f.properties()[PropertyCatalogue::Separator].inPowerPaste, false);
        QCOMPARE(f.dir.readFile("quillet.ini"), QByteArray());

        // Every item unticked: a menu without property items.
        OptionsDialog again(f.config(), f.properties(), &f.dm(), f.dataSelector.get());
        auto* list = child<QListWidget>(again, "PowerPasteItemsCheckListBox");
        for (int i = 0; i < list->count(); ++i)
            list->item(i)->setCheckState(Qt::Unchecked);
        again.accept();
        QCOMPARE(propertyItems(f.powerPaste), 0);
        QVERIFY(f.powerPaste.positionOf("UsernameMenuItem") >= 0);
    }

    void mailAndMenuValuesRoundTrip()
    {
        OptionsFixture f;
        f.config().hostAddress = "mail.example.test";
        f.config().emailPassword = "p#ss";
        f.config().authentication = true;
        f.config().browserContextMenuIndex = 0;
        OptionsDialog dialog(f.config(), f.properties(), &f.dm(), nullptr);
        QCOMPARE(child<QLineEdit>(dialog, "edtSMTPHost")->text(), QStringLiteral("mail.example.test"));
        QCOMPARE(child<QLineEdit>(dialog, "edtEmailPassword")->text(), QStringLiteral("p#ss"));
        QVERIFY(child<QCheckBox>(dialog, "chkAuthentication")->isChecked());
        QVERIFY(child<QRadioButton>(dialog, "BrowserContextMenuItem0")->isChecked());
        child<QLineEdit>(dialog, "edtEmailLoginID")->setText("me");
        child<QLineEdit>(dialog, "edtDefaultFromEMailAddress")->setText("me@example.test");
        child<QRadioButton>(dialog, "BrowserContextMenuItem1")->setChecked(true);
        dialog.accept();
        QCOMPARE(f.config().emailLoginId, QStringLiteral("me"));
        QCOMPARE(f.config().from, QStringLiteral("me@example.test"));
        QCOMPARE(f.config().emailPassword, QStringLiteral("p#ss"));
        QCOMPARE(f.config().browserContextMenuIndex, 1);
    }

    void portAndSecurityAreReadOnOpenAndAppliedOnOk()
    {
        OptionsFixture f;
        f.config().emailPort = 2525;
        f.config().emailSecurity = "starttls";
        {
            OptionsDialog dialog(f.config(), f.properties(), &f.dm(), nullptr);
            auto* port = child<QSpinBox>(dialog, "edtSMTPPort");
            auto* security = child<QComboBox>(dialog, "cboSecurity");
            QCOMPARE(port->value(), 2525);
            QCOMPARE(security->currentData().toString(), QStringLiteral("starttls"));
            QCOMPARE(security->count(), 3);
            // The rows follow the host's row, labelled as the settings are named.
            auto* form = dialog.findChild<QFormLayout*>("EMailForm");
            QVERIFY(form);
            QCOMPARE(qobject_cast<QLabel*>(form->labelForField(port))->text(), QStringLiteral("P&ort:"));
            QCOMPARE(qobject_cast<QLabel*>(form->labelForField(security))->text(), QStringLiteral("&Security:"));
            int row = -1;
            QFormLayout::ItemRole role;
            form->getWidgetPosition(child<QLineEdit>(dialog, "edtSMTPHost"), &row, &role);
            int portRow = -1;
            form->getWidgetPosition(port, &portRow, &role);
            QCOMPARE(portRow, row + 1);
            // Picking TLS keeps a port of the user's own.
            security->setCurrentIndex(2);
            Q_EMIT security->activated(2);
            QCOMPARE(port->value(), 2525);
            port->setValue(465);
            dialog.reject();
        }
        QCOMPARE(f.config().emailPort, 2525);
        QCOMPARE(f.config().emailSecurity, QStringLiteral("starttls"));
        {
            OptionsDialog dialog(f.config(), f.properties(), &f.dm(), nullptr);
            auto* port = child<QSpinBox>(dialog, "edtSMTPPort");
            auto* security = child<QComboBox>(dialog, "cboSecurity");
            port->setValue(587);
            // The usual port of the old choice moves to the new choice's.
            security->setCurrentIndex(2);
            Q_EMIT security->activated(2);
            QCOMPARE(port->value(), 465);
            dialog.accept();
        }
        QCOMPARE(f.config().emailPort, 465);
        QCOMPARE(f.config().emailSecurity, QStringLiteral("tls"));
        QCOMPARE(f.dir.readFile("quillet.ini"), QByteArray()); // reaches the file at the next save only
    }

    void unknownStoredSecurityIsKeptUntilChanged()
    {
        OptionsFixture f;
        f.config().emailSecurity = "ssl";
        {
            OptionsDialog dialog(f.config(), f.properties(), &f.dm(), nullptr);
            auto* security = child<QComboBox>(dialog, "cboSecurity");
            QCOMPARE(security->currentText(), QStringLiteral("ssl"));
            dialog.accept();
        }
        QCOMPARE(f.config().emailSecurity, QStringLiteral("ssl"));
        OptionsDialog dialog(f.config(), f.properties(), &f.dm(), nullptr);
        child<QComboBox>(dialog, "cboSecurity")->setCurrentIndex(0);
        dialog.accept();
        QCOMPARE(f.config().emailSecurity, QStringLiteral("none"));
    }
};

QTEST_MAIN(TestOptionsDialog)
#include "TestOptionsDialog.moc"
