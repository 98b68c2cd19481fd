#include "OptionsModel.h"
#include "ProgramSession.h"
#include "TestSupport.h"

#include <QTest>

namespace {

// A started session on a fresh program directory, optionally with a quillet.ini.
struct Session {
    explicit Session(const QByteArray& ini = QByteArray())
    {
        if (!ini.isEmpty())
            dir.writeFile("quillet.ini", ini);
        session = std::make_unique<ProgramSession>(dir.path());
        session->start();
    }
    Settings& config() { return session->config(); }
    PropertyCatalogue& properties() { return session->properties(); }

    TestProgramDirectory dir;
    std::unique_ptr<ProgramSession> session;
};

// Everything the dialog can change, to tell "nothing applied" from "something applied".
struct Snapshot {
    explicit Snapshot(Session& s)
    {
        const Settings& c = s.config();
        values << c.autoFillFormFields << c.siteFilter << c.hostAddress << c.from << c.authentication << c.emailLoginId
               << c.emailPassword << c.browserContextMenuIndex << c.menuItemsPerColumn << c.emailPort
               << c.emailSecurity;
        for (int i = 0; i < PropertyCatalogue::Count; ++i)
            values << s.properties()[i].inPowerPaste;
    }
    bool operator==(const Snapshot& other) const { return values == other.values; }
    QVariantList values;
};

// A model that differs from the settings in every field.
OptionsModel changedModel(Session& s)
{
    OptionsModel model = OptionsModel::read(s.config(), s.properties());
    model.general.autoFillFormFields = !model.general.autoFillFormFields;
    model.general.siteRank = QStringLiteral("4");
    model.general.padEnabled = true;
    model.mail = {QStringLiteral("smtp.example.test"), QStringLiteral("me@example.test"), true, QStringLiteral("login"),
        QStringLiteral("secret"), 587, QStringLiteral("starttls")};
    model.browserMenu.contextMenuIndex = 2;
    model.powerPaste.included.fill(false);
    model.powerPaste.itemsPerColumn = QStringLiteral("9");
    return model;
}

} // namespace

class TestOptionsModel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readsTheFilterBoxes_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("rank");
        QTest::addColumn<bool>("pad");
        QTest::addColumn<bool>("polls");
        QTest::newRow("polling only") << "PollsPAD=True AND Dead=False AND Hide=False"
                                      << "0" << false << true;
        QTest::newRow("both, polling first") << "PollsPAD=True AND PAD=True AND Dead=False"
                                             << "0" << true << true;
        QTest::newRow("pad only") << "PAD=True AND Dead=False AND Hide=False"
                                  << "0" << true << false;
        QTest::newRow("rank, stored by earlier versions")
            << "Rating > 3 OR Rating = Null AND PAD=True AND Dead=False AND Hide=False"
            << "3" << true << false;
        QTest::newRow("rank in parentheses")
            << "(Rating > 3 OR Rating = Null) AND PAD=True AND Dead=False AND Hide=False"
            << "3" << true << false;
        QTest::newRow("rank in parentheses, polling")
            << "(Rating > 12 OR Rating = Null) AND PollsPAD=True AND Dead=False AND Hide=False"
            << "12" << false << true;
        // The rank is the first integer of the whole filter, wherever it stands.
        QTest::newRow("first integer elsewhere") << "CountryCode = '7' AND Rating > 3 OR Rating = Null"
                                                 << "7" << false << false;
        QTest::newRow("digits without a rank") << "CountryCode = '5' AND Dead=False"
                                               << "0" << false << false;
        QTest::newRow("case of the words counts") << "pad=true AND pollspad=true"
                                                  << "0" << false << false;
        QTest::newRow("hand-edited rank without a number") << "Rating > - AND Dead=False"
                                                           << "0" << false << false;
        QTest::newRow("empty") << ""
                               << "0" << false << false;
    }

    void readsTheFilterBoxes()
    {
        QFETCH(QString, filter);
        QFETCH(QString, rank);
        QFETCH(bool, pad);
        QFETCH(bool, polls);
        Session s;
        s.config().siteFilter = filter;
        const OptionsModel model = OptionsModel::read(s.config(), s.properties());
        QCOMPARE(model.general.siteRank, rank);
        QCOMPARE(model.general.padEnabled, pad);
        QCOMPARE(model.general.padPolling, polls);
    }

    void readsEveryOtherValue()
    {
        Session s("[EMail]\nHostAddress=mail.example.test\nFrom=a@example.test\nEMailLoginID=id\n"
                  "EMailPassword=p#w\nAuthentication=1\nPort=2525\nSecurity=tls\n"
                  "[General]\nAutomatically Fill Form Fields=0\n"
                  "[PowerPaste]\nBrowser context menu index=2\nMenu items per column=7\nProg URL=0\n");
        const OptionsModel model = OptionsModel::read(s.config(), s.properties());
        QCOMPARE(model.general.autoFillFormFields, false);
        QCOMPARE(model.mail.smtpHost, QStringLiteral("mail.example.test"));
        QCOMPARE(model.mail.defaultFrom, QStringLiteral("a@example.test"));
        QCOMPARE(model.mail.loginId, QStringLiteral("id"));
        QCOMPARE(model.mail.password, QStringLiteral("p#w"));
        QCOMPARE(model.mail.authentication, true);
        QCOMPARE(model.mail.port, 2525);
        QCOMPARE(model.mail.security, QStringLiteral("tls"));
        QCOMPARE(model.browserMenu.contextMenuIndex, 2);
        QCOMPARE(model.powerPaste.itemsPerColumn, QStringLiteral("7"));
        QCOMPARE(model.powerPaste.captions.size(), PropertyCatalogue::Count);
        QCOMPARE(model.powerPaste.captions.at(16), QStringLiteral("Prog URL"));
        QCOMPARE(model.powerPaste.captions.at(PropertyCatalogue::Separator), QString());
        QCOMPARE(model.powerPaste.included.at(16), false);
        QCOMPARE(model.powerPaste.included.at(15), true);
    }

    void composesTheFilterConditions_data()
    {
        QTest::addColumn<qint64>("rank");
        QTest::addColumn<bool>("pad");
        QTest::addColumn<bool>("polls");
        QTest::addColumn<QString>("conditions");
        QTest::newRow("rank 3, both") << qint64(3) << true << true
                                      << "(Rating > 3 OR Rating = Null) AND PAD=True AND PollsPAD=True";
        QTest::newRow("rank 2") << qint64(2) << false << false << "(Rating > 2 OR Rating = Null)";
        QTest::newRow("rank 1 adds nothing") << qint64(1) << false << false << "";
        QTest::newRow("rank 0, pad") << qint64(0) << true << false << "PAD=True";
        QTest::newRow("negative rank, polls") << qint64(-5) << false << true << "PollsPAD=True";
    }

    void composesTheFilterConditions()
    {
        QFETCH(qint64, rank);
        QFETCH(bool, pad);
        QFETCH(bool, polls);
        QFETCH(QString, conditions);
        QCOMPARE(OptionsModel::composeFilterConditions(rank, pad, polls), conditions);
    }

    void okStoresTheFilter()
    {
        Session s;
        OptionsModel model = OptionsModel::read(s.config(), s.properties());
        model.general.siteRank = QStringLiteral("3");
        model.general.padEnabled = true;
        model.general.padPolling = true;
        OptionsModel::Applied applied;
        QVERIFY(model.apply(s.config(), s.properties(), &applied).isNone());
        QCOMPARE(s.config().siteFilter,
            QStringLiteral(
                "(Rating > 3 OR Rating = Null) AND PAD=True AND PollsPAD=True AND Dead=False AND Hide=False"));
        QVERIFY(applied.siteFilterChanged);
        // Read back, the stored filter gives the same boxes.
        const OptionsModel again = OptionsModel::read(s.config(), s.properties());
        QCOMPARE(again.general.siteRank, QStringLiteral("3"));
        QVERIFY(again.general.padEnabled);
        QVERIFY(again.general.padPolling);

        // Rank 1 and no box: the dead-and-hidden conditions alone.
        model.general = {true, QStringLiteral("1"), false, false, QString()};
        QVERIFY(model.apply(s.config(), s.properties(), &applied).isNone());
        QCOMPARE(s.config().siteFilter, QStringLiteral("Dead=False AND Hide=False"));
    }

    void okAtOnceKeepsAPollingFilter()
    {
        Session s;
        s.config().siteFilter = QStringLiteral("PollsPAD=True AND Dead=False AND Hide=False");
        const OptionsModel model = OptionsModel::read(s.config(), s.properties());
        OptionsModel::Applied applied;
        QVERIFY(model.apply(s.config(), s.properties(), &applied).isNone());
        QCOMPARE(s.config().siteFilter, QStringLiteral("PollsPAD=True AND Dead=False AND Hide=False"));
        // The composed conditions differ from the stored text, so the filter is applied again.
        QVERIFY(applied.siteFilterChanged);
    }

    void filterEqualToTheConditionsIsLeftAlone()
    {
        Session s;
        s.config().siteFilter = QStringLiteral("PAD=True");
        OptionsModel model = OptionsModel::read(s.config(), s.properties());
        QVERIFY(model.general.padEnabled);
        OptionsModel::Applied applied;
        applied.siteFilterChanged = true;
        QVERIFY(model.apply(s.config(), s.properties(), &applied).isNone());
        QCOMPARE(s.config().siteFilter, QStringLiteral("PAD=True"));
        QVERIFY(!applied.siteFilterChanged);
    }

    void rankTextsNormalise_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("normal");
        QTest::newRow("trailing letters") << "5x"
                                          << "5";
        QTest::newRow("leading letters") << "abc7"
                                         << "7";
        QTest::newRow("minus inside") << "x-5y"
                                      << "-5";
        QTest::newRow("minus, blank, digit") << "- 7"
                                             << "7";
        QTest::newRow("no digits") << "abc"
                                   << "0";
        QTest::newRow("empty") << ""
                               << "0";
        // Texts that give no integer stay as typed; OK names the box.
        QTest::newRow("lone minus") << "-"
                                    << "-";
        QTest::newRow("beyond 32 bits") << "99999999999"
                                        << "99999999999";
    }

    void rankTextsNormalise()
    {
        QFETCH(QString, typed);
        QFETCH(QString, normal);
        QCOMPARE(OptionsModel::normalisedRank(typed), normal);
    }

    void rankTypedWithLettersIsAppliedAsItsNumber()
    {
        Session s;
        OptionsModel model = OptionsModel::read(s.config(), s.properties());
        model.general.siteRank = QStringLiteral("5x");
        QVERIFY(model.apply(s.config(), s.properties()).isNone());
        QCOMPARE(s.config().siteFilter, QStringLiteral("(Rating > 5 OR Rating = Null) AND Dead=False AND Hide=False"));
    }

    void updateServerIsCheckedAndStored_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("https") << "https://updates.example.com" << true;
        QTest::newRow("http with port and folder, blanks around") << "  http://127.0.0.1:8080/quillet " << true;
        QTest::newRow("empty: none set") << "" << true;
        QTest::newRow("blanks: none set") << "   " << true;
        QTest::newRow("ftp") << "ftp://updates.example.com" << false;
        QTest::newRow("no scheme") << "updates.example.com" << false;
        QTest::newRow("login in it") << "http://user:pw@updates.example.com" << false;
        QTest::newRow("query") << "http://updates.example.com/?x=1" << false;
    }

    void updateServerIsCheckedAndStored()
    {
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        Session s("[Config]\nUpdateServer=http://127.0.0.1/before\n");
        OptionsModel model = OptionsModel::read(s.config(), s.properties());
        QCOMPARE(model.general.updateServer, QStringLiteral("http://127.0.0.1/before"));
        model.general.updateServer = typed;
        model.general.padEnabled = true;
        const OptionsModel::Problem problem = model.apply(s.config(), s.properties());
        QCOMPARE(problem.isNone(), accepted);
        QCOMPARE(s.config().updateServer, accepted ? typed.trimmed() : QStringLiteral("http://127.0.0.1/before"));
        if (!accepted) {
            QCOMPARE(problem.field, OptionsModel::Field::UpdateServer);
            QCOMPARE(problem.message,
                QStringLiteral("Update server: \"%1\" is not an http:// or https:// address of a server. Type one "
                               "such as https://updates.example.com, or leave the box empty.")
                    .arg(typed.trimmed()));
            // Nothing else was applied either.
            QCOMPARE(s.config().siteFilter, QStringLiteral("Dead=False AND Hide=False"));
        }
    }

    void aBadBoxAppliesNothing_data()
    {
        QTest::addColumn<QString>("rank");
        QTest::addColumn<QString>("perColumn");
        QTest::addColumn<int>("field");
        QTest::newRow("rank is a lone minus") << "-"
                                              << "9" << int(OptionsModel::Field::SiteRank);
        QTest::newRow("rank beyond 32 bits") << "3000000000"
                                             << "9" << int(OptionsModel::Field::SiteRank);
        QTest::newRow("items 0") << "4"
                                 << "0" << int(OptionsModel::Field::ItemsPerColumn);
        QTest::newRow("items negative") << "4"
                                        << "-3" << int(OptionsModel::Field::ItemsPerColumn);
        QTest::newRow("items letters") << "4"
                                       << "12x" << int(OptionsModel::Field::ItemsPerColumn);
        QTest::newRow("items empty") << "4"
                                     << "" << int(OptionsModel::Field::ItemsPerColumn);
        QTest::newRow("items decimal") << "4"
                                       << "2.5" << int(OptionsModel::Field::ItemsPerColumn);
        QTest::newRow("items beyond 32 bits") << "4"
                                              << "99999999999" << int(OptionsModel::Field::ItemsPerColumn);
        QTest::newRow("both bad: the rank is named") << "-"
                                                     << "0" << int(OptionsModel::Field::SiteRank);
    }

    void aBadBoxAppliesNothing()
    {
        QFETCH(QString, rank);
        QFETCH(QString, perColumn);
        QFETCH(int, field);
        Session s;
        const Snapshot before(s);
        OptionsModel model = changedModel(s);
        model.general.siteRank = rank;
        model.powerPaste.itemsPerColumn = perColumn;
        OptionsModel::Applied applied;
        const OptionsModel::Problem problem = model.apply(s.config(), s.properties(), &applied);
        QCOMPARE(int(problem.field), field);
        const QString box = field == int(OptionsModel::Field::SiteRank) ? QStringLiteral("Site rank")
                                                                        : QStringLiteral("Items per column");
        QVERIFY2(problem.message.startsWith(box), qPrintable(problem.message));
        QVERIFY2(problem.message.contains(QLatin1Char('"')
                     + (field == int(OptionsModel::Field::SiteRank) ? rank : perColumn) + QLatin1Char('"')),
            qPrintable(problem.message));
        QVERIFY(!applied.siteFilterChanged);
        QVERIFY(Snapshot(s) == before);
    }

    void securityChoiceMovesTheUsualPort()
    {
        QCOMPARE(OptionsModel::standardPort("none"), 25);
        QCOMPARE(OptionsModel::standardPort("STARTTLS"), 587);
        QCOMPARE(OptionsModel::standardPort("tls"), 465);
        QCOMPARE(OptionsModel::standardPort("ssl"), 0);
        QCOMPARE(OptionsModel::portAfterSecurityChange(25, "none", "tls"), 465);
        QCOMPARE(OptionsModel::portAfterSecurityChange(465, "tls", "starttls"), 587);
        QCOMPARE(OptionsModel::portAfterSecurityChange(587, "starttls", "none"), 25);
        // A port of the user's own stays whatever the choice.
        QCOMPARE(OptionsModel::portAfterSecurityChange(2525, "none", "tls"), 2525);
        QCOMPARE(OptionsModel::portAfterSecurityChange(465, "none", "starttls"), 465);
        // From an unknown stored value nothing is the usual port.
        QCOMPARE(OptionsModel::portAfterSecurityChange(25, "ssl", "tls"), 25);
    }

    void goodValuesApplyEverywhere()
    {
        Session s;
        OptionsModel model = changedModel(s);
        model.powerPaste.itemsPerColumn = QStringLiteral(" 7 ");
        model.powerPaste.included[16] = true;
        model.powerPaste.included[PropertyCatalogue::Separator] = true;
        QVERIFY(model.apply(s.config(), s.properties()).isNone());
        const Settings& c = s.config();
        QCOMPARE(c.hostAddress, QStringLiteral("smtp.example.test"));
        QCOMPARE(c.from, QStringLiteral("me@example.test"));
        QCOMPARE(c.authentication, true);
        QCOMPARE(c.emailLoginId, QStringLiteral("login"));
        QCOMPARE(c.emailPassword, QStringLiteral("secret"));
        QCOMPARE(c.emailPort, 587);
        QCOMPARE(c.emailSecurity, QStringLiteral("starttls"));
        QCOMPARE(c.browserContextMenuIndex, 2);
        QCOMPARE(c.menuItemsPerColumn, 7);
        QCOMPARE(c.autoFillFormFields, false);
        for (int i = 0; i < PropertyCatalogue::Count; ++i)
            QCOMPARE(s.properties()[i].inPowerPaste, i == 16);
    }

    void separatorFlagIsAlwaysCleared()
    {
        Session s;
        QVERIFY(s.properties()[PropertyCatalogue::Separator].inPowerPaste);
        OptionsModel model = OptionsModel::read(s.config(), s.properties());
        QVERIFY(model.powerPaste.included.at(PropertyCatalogue::Separator));
        QVERIFY(model.apply(s.config(), s.properties()).isNone());
        QCOMPARE(s.properties()[PropertyCatalogue::Separator].inPowerPaste, false);
        QCOMPARE(s.properties()[PropertyCatalogue::Separator + 1].inPowerPaste, true);
    }

    void anUnknownContextMenuIndexIsKept()
    {
        Session s("[PowerPaste]\nBrowser context menu index=7\n");
        QCOMPARE(s.config().browserContextMenuIndex, 7);
        const OptionsModel model = OptionsModel::read(s.config(), s.properties());
        QCOMPARE(model.browserMenu.contextMenuIndex, -1);
        QVERIFY(model.apply(s.config(), s.properties()).isNone());
        QCOMPARE(s.config().browserContextMenuIndex, 7);
    }

    void applyingWritesNoFile()
    {
        const QByteArray ini = "[Config]\nSiteFilter=Dead=False AND Hide=False\n";
        Session s(ini);
        QVERIFY(changedModel(s).apply(s.config(), s.properties()).isNone());
        QCOMPARE(s.dir.readFile("quillet.ini"), ini);
        // The values reach the file with the next save.
        s.config().saveSettings();
        QVERIFY(s.dir.readFile("quillet.ini").contains("SiteFilter=(Rating > 4 OR Rating = Null) AND PAD=True"));
    }
};

QTEST_GUILESS_MAIN(TestOptionsModel)
#include "TestOptionsModel.moc"
