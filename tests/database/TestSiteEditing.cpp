#include "DataFixture.h"
#include "MessageTranslator.h"
#include "QuilletError.h"
#include "SiteEditState.h"
#include "SiteFields.h"
#include "SiteRowWriter.h"
#include "Sql.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

namespace {

// Every row of Sites, every column, in name order: "nothing changed" means
// this stays equal.
QList<QVariantList> sitesTable(DataFixture& f)
{
    QList<QVariantList> rows;
    QSqlQuery query = Sql::exec(f.dm().database(), QStringLiteral("SELECT * FROM Sites.Sites ORDER BY SiteName"));
    while (query.next()) {
        QVariantList row;
        for (int i = 0; i < query.record().count(); ++i)
            row.append(query.value(i));
        rows.append(row);
    }
    return rows;
}

int column(SiteEditState& state, const char* name)
{
    const int index = state.fields().indexOf(QString::fromLatin1(name));
    if (index < 0)
        qFatal("no column %s", name);
    return index;
}

int rowOf(DataFixture& f, const QString& name)
{
    return f.visibleSites().indexOf(name);
}

// The tests write many small transactions; waiting for the disk after each
// tells nothing about the editing rules.
void skipDiskSyncs(DataFixture& f)
{
    for (const char* schema : {"Sites", "ProgSite", "Programs"})
        Sql::exec(f.dm().database(), QStringLiteral("PRAGMA %1.synchronous = OFF").arg(QLatin1String(schema)));
}

// Three visible sites, one dead and one hidden, and flags for two of them.
void addSites(DataFixture& f)
{
    skipDiskSyncs(f);
    f.addSite("Alpha Downloads", {{"Rating", 2}, {"Pad", 1}});
    f.addSite("Beta Files", {{"Rating", 5}, {"Pad", 0}, {"Notes", "Fast review\r\nsecond line"}});
    f.addSite("MySoftware Site", {{"Rating", 3}, {"Pad", QVariant()}});
    f.addSite("Old Dead", {{"Dead", 1}});
    f.addSite("Hidden One", {{"Hide", 1}});
    f.addFlags("Tool", "Beta Files", {{"Submitted", 1}});
    f.addFlags("Other", "Beta Files", {{"Published", 1}});
}

} // namespace

class TestSiteEditing : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fieldsFollowTheTable()
    {
        DataFixture f;
        f.open();
        const SiteFields fields = SiteFields::read(f.dm().database());
        QCOMPARE(fields.count(), f.dm().sites().columns().size());
        for (int i = 0; i < fields.count(); ++i)
            QCOMPARE(fields.at(i).name, f.dm().sites().columns().at(i));
        const SiteFields::Field& name = fields.at(fields.indexOf("sitename"));
        QCOMPARE(int(name.kind), int(SiteFields::Kind::Text));
        QCOMPARE(name.maxLength, 60);
        QCOMPARE(int(fields.at(fields.indexOf("Notes")).kind), int(SiteFields::Kind::Memo));
        QCOMPARE(int(fields.at(fields.indexOf("Rating")).kind), int(SiteFields::Kind::Integer));
        const SiteFields::Field& dead = fields.at(fields.indexOf("Dead"));
        QCOMPARE(int(dead.kind), int(SiteFields::Kind::Boolean));
        QCOMPARE(fields.displayText(fields.indexOf("Dead"), dead.defaultValue), QStringLiteral("False"));
        QCOMPARE(fields.indexOf("NoSuchField"), -1);
    }

    void valuesShowAndParse()
    {
        QCOMPARE(SiteFields::displayText(1, SiteFields::Kind::Boolean), QStringLiteral("True"));
        QCOMPARE(SiteFields::displayText(-1, SiteFields::Kind::Boolean), QStringLiteral("True"));
        QCOMPARE(SiteFields::displayText(0, SiteFields::Kind::Boolean), QStringLiteral("False"));
        QCOMPARE(SiteFields::displayText(QVariant(), SiteFields::Kind::Boolean), QString());
        QCOMPARE(SiteFields::displayText(QStringLiteral("true"), SiteFields::Kind::Boolean), QStringLiteral("True"));
        QCOMPARE(SiteFields::displayText(42, SiteFields::Kind::Integer), QStringLiteral("42"));

        DataFixture f;
        f.open();
        const SiteFields fields = SiteFields::read(f.dm().database());
        const int rating = fields.indexOf("Rating");
        QCOMPARE(fields.parse(rating, "12"), QVariant(12));
        QCOMPARE(fields.parse(rating, " 7 "), QVariant(7));
        QVERIFY(fields.parse(rating, "").isNull());
        QCOMPARE(fields.parse(rating, "2147483647"), QVariant(2147483647));
        for (const char* bad : {"5x", "-3", "+3", "1.5", "1 000", "2147483648", "99999999999"}) {
            try {
                fields.parse(rating, QString::fromLatin1(bad));
                QFAIL(bad);
            } catch (const QuilletError& error) {
                QVERIFY2(error.text().contains("Rating") && error.text().contains("digits only"), bad);
            }
        }
        // Digits of other scripts are digits to Unicode, not to a rating.
        QVERIFY_THROWS_EXCEPTION(QuilletError, fields.parse(rating, QStringLiteral("\u0661\u0662")));
        const int pad = fields.indexOf("Pad");
        QCOMPARE(fields.parse(pad, "true"), QVariant(1));
        QCOMPARE(fields.parse(pad, " False "), QVariant(0));
        QVERIFY(fields.parse(pad, "").isNull());
        QVERIFY_THROWS_EXCEPTION(QuilletError, fields.parse(pad, "yes"));
        QVERIFY_THROWS_EXCEPTION(QuilletError, fields.parse(fields.indexOf("SiteName"), QString(61, 'n')));
        QCOMPARE(fields.parse(fields.indexOf("SiteName"), QString(60, 'n')).toString().size(), 60);
        QCOMPARE(fields.parse(fields.indexOf("Notes"), QString(5000, 'n')).toString().size(), 5000);
    }

    void writerStoresTextsLiterally()
    {
        DataFixture f;
        f.open();
        addSites(f);
        SiteRowWriter writer(f.dm());
        const SiteFields& fields = writer.fields();
        const QString hostile = QStringLiteral("x'); DROP TABLE Sites; --");
        writer.update(QStringLiteral("Beta Files"),
            {{fields.indexOf("SiteName"), QStringLiteral("O'Brien's \"Files\"")}, {fields.indexOf("Notes"), hostile},
                {fields.indexOf("Rating"), QStringLiteral("9")}, {fields.indexOf("Hide"), QStringLiteral("False")}});
        const QVariantMap row = f.siteRow(QStringLiteral("O'Brien's \"Files\""));
        QCOMPARE(row.value("Notes").toString(), hostile);
        QCOMPARE(row.value("Rating").toInt(), 9);
        QVERIFY(f.siteRow("Beta Files").isEmpty());
        QCOMPARE(f.dm().rowCount(Table::Sites), 5);
        // Only the Sites row: the flag rows keep the old name.
        QCOMPARE(f.flagRow("Tool", "Beta Files").value("Submitted").toInt(), 1);
    }

    void refusedWritesChangeNoRow_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("taken name") << "SiteName"
                                    << "Alpha Downloads"
                                    << "A site named \"Alpha Downloads\" already exists: SiteName must be unique.";
        QTest::newRow("empty name") << "SiteName"
                                    << ""
                                    << "A site needs a name: SiteName cannot be empty.";
        QTest::newRow("blank name") << "SiteName"
                                    << "   "
                                    << "A site needs a name: SiteName cannot be empty.";
        QTest::newRow("rating with letters") << "Rating"
                                             << "5x"
                                             << "\"5x\" is not a valid Rating";
        QTest::newRow("boolean word") << "Pad"
                                      << "yes"
                                      << "\"yes\" is not a valid value for Pad";
    }

    void refusedWritesChangeNoRow()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, message);
        DataFixture f;
        f.open();
        addSites(f);
        const QList<QVariantList> before = sitesTable(f);
        SiteRowWriter writer(f.dm());
        // The name change travels with a valid change of another column: neither is written.
        const SiteRowWriter::Texts texts {{writer.fields().indexOf(field), text},
            {writer.fields().indexOf("UserNotes"), QStringLiteral("typed notes")}};
        try {
            writer.update(QStringLiteral("Beta Files"), texts);
            QFAIL("the write was accepted");
        } catch (const QuilletError& error) {
            QVERIFY2(error.text().startsWith(message), qPrintable(error.text()));
        }
        QCOMPARE(sitesTable(f), before);
        try {
            writer.insert(texts);
            QFAIL("the insert was accepted");
        } catch (const QuilletError&) { }
        QCOMPARE(sitesTable(f), before);
    }

    void renamingToItsOwnNameIsNoDuplicate()
    {
        DataFixture f;
        f.open();
        addSites(f);
        SiteRowWriter writer(f.dm());
        writer.update(QStringLiteral("Beta Files"),
            {{writer.fields().indexOf("SiteName"), QStringLiteral("Beta Files")},
                {writer.fields().indexOf("Rating"), QStringLiteral("1")}});
        QCOMPARE(f.siteRow("Beta Files").value("Rating").toInt(), 1);
        // Names are the table's key: one differing in case is another name.
        writer.update(
            QStringLiteral("Beta Files"), {{writer.fields().indexOf("SiteName"), QStringLiteral("beta files")}});
        QCOMPARE(f.siteRow("beta files").value("Rating").toInt(), 1);
    }

    void insertTakesDefaultsAndDeleteLeavesFlags()
    {
        DataFixture f;
        f.open();
        addSites(f);
        SiteRowWriter writer(f.dm());
        QCOMPARE(writer.insert({{writer.fields().indexOf("SiteName"), QStringLiteral("New Site")},
                     {writer.fields().indexOf("Rating"), QStringLiteral("4")}}),
            QStringLiteral("New Site"));
        const QVariantMap row = f.siteRow("New Site");
        QCOMPARE(row.value("Rating").toInt(), 4);
        QCOMPARE(row.value("Dead").toInt(), 0);
        QCOMPARE(row.value("Hide").toInt(), 0);
        QVERIFY(row.value("HomeUrl").isNull());

        writer.remove(QStringLiteral("Beta Files"));
        QVERIFY(f.siteRow("Beta Files").isEmpty());
        QCOMPARE(f.flagRow("Tool", "Beta Files").value("Submitted").toInt(), 1);
        QCOMPARE(f.flagRow("Other", "Beta Files").value("Published").toInt(), 1);
        QVERIFY_THROWS_EXCEPTION(QuilletError, writer.remove(QStringLiteral("Beta Files")));
    }

    void aTableThatRefusesWritesIsReported()
    {
        DataFixture f;
        f.open();
        addSites(f);
        for (const char* event : {"UPDATE", "INSERT", "DELETE"}) {
            Sql::exec(f.dm().database(),
                QStringLiteral("CREATE TRIGGER Sites.refuse_%1 BEFORE %1 ON Sites "
                               "BEGIN SELECT RAISE(ABORT, 'the table is read-only'); END")
                    .arg(QLatin1String(event)));
        }
        const QList<QVariantList> before = sitesTable(f);
        SiteRowWriter writer(f.dm());
        const int rating = writer.fields().indexOf("Rating");
        try {
            writer.update(QStringLiteral("Beta Files"), {{rating, QStringLiteral("8")}});
            QFAIL("accepted");
        } catch (const QuilletError& error) {
            QCOMPARE(error.text(), QStringLiteral("The site could not be saved: the table is read-only"));
        }
        QVERIFY_THROWS_EXCEPTION(
            QuilletError, writer.insert({{writer.fields().indexOf("SiteName"), QStringLiteral("Another")}}));
        QVERIFY_THROWS_EXCEPTION(QuilletError, writer.remove(QStringLiteral("Beta Files")));
        QCOMPARE(sitesTable(f), before);
        // No transaction is left open: a later write of the data module works.
        Sql::exec(f.dm().database(), QStringLiteral("DROP TRIGGER Sites.refuse_UPDATE"));
        writer.update(QStringLiteral("Beta Files"), {{rating, QStringLiteral("8")}});
        QCOMPARE(f.siteRow("Beta Files").value("Rating").toInt(), 8);
    }

    void aRefusedCommitEndsTheTransaction()
    {
        DataFixture f;
        f.open();
        QSqlDatabase db = f.dm().database();
        // A deferred foreign key is checked only at COMMIT, which the engine then refuses.
        Sql::exec(db, QStringLiteral("CREATE TABLE main.parent (id INTEGER PRIMARY KEY)"));
        Sql::exec(db,
            QStringLiteral(
                "CREATE TABLE main.child (pid INTEGER REFERENCES parent(id) DEFERRABLE INITIALLY DEFERRED)"));
        Sql::exec(db, QStringLiteral("PRAGMA foreign_keys = ON"));
        QVERIFY_THROWS_EXCEPTION(QuilletError,
            Sql::inTransaction(db, [&] { Sql::exec(db, QStringLiteral("INSERT INTO main.child VALUES (42)")); }));
        // The next transaction starts: the refused one was rolled back, not left open.
        Sql::inTransaction(db, [&] { Sql::exec(db, QStringLiteral("INSERT INTO main.parent VALUES (1)")); });
        Sql::exec(db, QStringLiteral("PRAGMA foreign_keys = OFF"));
        QCOMPARE(Sql::scalar(db, QStringLiteral("SELECT count(*) FROM main.child")).toInt(), 0);
        QCOMPARE(Sql::scalar(db, QStringLiteral("SELECT count(*) FROM main.parent")).toInt(), 1);
    }

    void rowsWithoutAUniqueNameAreNotGuessedAt()
    {
        DataFixture f;
        f.open();
        // A damaged table: two rows without a name (the key allows nulls).
        Sql::exec(f.dm().database(), QStringLiteral("INSERT INTO Sites.Sites (SiteName, Rating) VALUES (NULL, 1)"));
        Sql::exec(f.dm().database(), QStringLiteral("INSERT INTO Sites.Sites (SiteName, Rating) VALUES (NULL, 2)"));
        const QList<QVariantList> before = sitesTable(f);
        SiteRowWriter writer(f.dm());
        try {
            writer.update(QVariant(), {{writer.fields().indexOf("Rating"), QStringLiteral("7")}});
            QFAIL("accepted");
        } catch (const QuilletError& error) {
            QVERIFY2(error.text().contains("more than once"), qPrintable(error.text()));
        }
        QCOMPARE(sitesTable(f), before);
        // Naming one of them is refused too, rather than naming both.
        QVERIFY_THROWS_EXCEPTION(
            QuilletError, writer.update(QVariant(), {{writer.fields().indexOf("SiteName"), QStringLiteral("Named")}}));
        QCOMPARE(sitesTable(f), before);
    }

    void aSitesFileOfAnotherKindOpensNoEditor()
    {
        DataFixture f;
        f.dir.writeFile("Sites.DAT", QByteArray("PK\x03\x04 this is a zip archive, not a table").repeated(50));
        RecordingMessageSink sink;
        f.open();
        QVERIFY(!f.dm().isTableOpen(Table::Sites));
        QCOMPARE(sink.messages.size(), 1);
        QVERIFY_THROWS_EXCEPTION(QuilletError, SiteEditState(f.dm()));
        QVERIFY_THROWS_EXCEPTION(QuilletError, SiteRowWriter(f.dm()));
    }

    void oddStoredValuesAreShownAndLeftAlone()
    {
        DataFixture f;
        f.open();
        skipDiskSyncs(f);
        // Values another program may have stored: SQLite keeps whatever it is given.
        Sql::exec(f.dm().database(),
            QStringLiteral("INSERT INTO Sites.Sites (SiteName, Rating, Pad, Notes) VALUES ('Odd', 'abc', 'yes', ?)"),
            {QString(100000, QLatin1Char('n'))});
        f.dm().refreshData();
        RecordingMessageSink sink;
        SiteEditState state(f.dm());
        QCOMPARE(state.text(0, column(state, "Rating")), QStringLiteral("abc"));
        QCOMPARE(state.text(0, column(state, "Pad")), QStringLiteral("yes"));
        QCOMPARE(state.text(0, column(state, "Notes")).size(), 100000);
        QVERIFY(state.startFind());
        QVERIFY(state.findNext({column(state, "Rating"), QStringLiteral("B"), false, true}));
        // Changing another field writes that field only.
        QVERIFY(state.setText(0, column(state, "Username"), QStringLiteral("me")));
        QVERIFY(state.post());
        const QVariantMap row = f.siteRow("Odd");
        QCOMPARE(row.value("Rating").toString(), QStringLiteral("abc"));
        QCOMPARE(row.value("Pad").toString(), QStringLiteral("yes"));
        QCOMPARE(row.value("Username").toString(), QStringLiteral("me"));
        QVERIFY(sink.messages.isEmpty());
    }

    void refusedPostKeepsTheTyping()
    {
        DataFixture f;
        f.open();
        addSites(f);
        RecordingMessageSink sink;
        SiteEditState state(f.dm());
        const QList<QVariantList> before = sitesTable(f);
        const int beta = rowOf(f, "Beta Files");
        QVERIFY(state.setText(beta, column(state, "SiteName"), QStringLiteral("Alpha Downloads")));
        QVERIFY(state.setText(beta, column(state, "Rating"), QStringLiteral("8")));
        QCOMPARE(int(state.mode()), int(SiteEditState::Mode::Edit));
        QVERIFY(!state.post());
        QCOMPARE(
            sink.texts(), QStringList {"A site named \"Alpha Downloads\" already exists: SiteName must be unique."});
        QCOMPARE(state.text(beta, column(state, "SiteName")), QStringLiteral("Alpha Downloads"));
        QCOMPARE(state.text(beta, column(state, "Rating")), QStringLiteral("8"));
        QVERIFY(state.isTyped(beta, column(state, "Rating")));
        QCOMPARE(sitesTable(f), before);

        // Moving away posts first; refused again, the editor stays on the row.
        QVERIFY(!state.moveTo(0));
        QVERIFY(!state.insert());
        QVERIFY(!state.refresh());
        QCOMPARE(state.currentRow(), beta);
        QCOMPARE(sink.messages.size(), 4);
        QCOMPARE(sitesTable(f), before);

        // Corrected, the post goes through and the cursor follows the renamed row.
        QVERIFY(state.setText(beta, column(state, "SiteName"), QStringLiteral("Gamma Files")));
        QVERIFY(state.post());
        QCOMPARE(int(state.mode()), int(SiteEditState::Mode::Browse));
        QCOMPARE(f.dm().sites().currentSiteName(), QStringLiteral("Gamma Files"));
        QCOMPARE(f.siteRow("Gamma Files").value("Rating").toInt(), 8);
        QCOMPARE(f.siteRow("Gamma Files").value("Notes").toString(), QStringLiteral("Fast review\r\nsecond line"));
    }

    void typingTheStoredTextBackIsNoChange()
    {
        DataFixture f;
        f.open();
        addSites(f);
        SiteEditState state(f.dm());
        const int rating = column(state, "Rating");
        QVERIFY(state.setText(0, rating, QStringLiteral("2")));
        QCOMPARE(int(state.mode()), int(SiteEditState::Mode::Browse));
        QVERIFY(state.setText(0, rating, QStringLiteral("6")));
        QVERIFY(state.isModified());
        QVERIFY(state.setText(0, rating, QStringLiteral("2")));
        QVERIFY(!state.isModified());
        QVERIFY(state.finish());
        QCOMPARE(int(state.mode()), int(SiteEditState::Mode::Browse));
    }

    void cancelDropsTheTyping()
    {
        DataFixture f;
        f.open();
        addSites(f);
        SiteEditState state(f.dm());
        const QList<QVariantList> before = sitesTable(f);
        state.setText(1, column(state, "Notes"), QStringLiteral("changed"));
        state.cancel();
        QCOMPARE(state.text(1, column(state, "Notes")), QStringLiteral("Fast review\r\nsecond line"));
        QCOMPARE(sitesTable(f), before);
    }

    void insertingAddsARowAboveTheCurrentOne()
    {
        DataFixture f;
        f.open();
        addSites(f);
        RecordingMessageSink sink;
        SiteEditState state(f.dm());
        QVERIFY(state.moveTo(1));
        QVERIFY(state.insert());
        QCOMPARE(state.rowCount(), 4);
        QCOMPARE(state.currentRow(), 1);
        QCOMPARE(state.cursorRow(1), -1);
        QCOMPARE(state.cursorRow(2), 1);
        QCOMPARE(state.text(2, column(state, "SiteName")), QStringLiteral("Beta Files"));
        QCOMPARE(state.text(1, column(state, "Dead")), QStringLiteral("False"));
        QCOMPARE(state.text(1, column(state, "SiteName")), QString());

        // An untouched new row is dropped when the editor moves on.
        QVERIFY(state.moveTo(3));
        QCOMPARE(state.rowCount(), 3);
        QCOMPARE(f.dm().sites().currentSiteName(), QStringLiteral("MySoftware Site"));

        // A new row without a name is refused and stays for correction.
        QVERIFY(state.insert());
        QVERIFY(state.setText(state.currentRow(), column(state, "Rating"), QStringLiteral("4")));
        QVERIFY(!state.post());
        QCOMPARE(sink.texts().last(), QStringLiteral("A site needs a name: SiteName cannot be empty."));
        QCOMPARE(int(state.mode()), int(SiteEditState::Mode::Insert));
        QVERIFY(state.setText(state.currentRow(), column(state, "SiteName"), QStringLiteral("Delta")));
        QVERIFY(state.post());
        QCOMPARE(f.visibleSites(), QStringList({"Alpha Downloads", "Beta Files", "Delta", "MySoftware Site"}));
        QCOMPARE(f.dm().sites().currentSiteName(), QStringLiteral("Delta"));
        QCOMPARE(f.siteRow("Delta").value("Rating").toInt(), 4);
    }

    void anEmptyListStartsANewRow()
    {
        DataFixture f;
        f.open();
        SiteEditState state(f.dm());
        QCOMPARE(state.rowCount(), 0);
        QCOMPARE(state.currentRow(), -1);
        QVERIFY(state.setText(0, column(state, "SiteName"), QStringLiteral("First")));
        QCOMPARE(int(state.mode()), int(SiteEditState::Mode::Insert));
        QVERIFY(state.post());
        QCOMPARE(f.visibleSites(), QStringList {"First"});
    }

    void anEditThatLeavesTheFilterLeavesTheList()
    {
        DataFixture f;
        f.open();
        addSites(f);
        SiteEditState state(f.dm());
        QVERIFY(state.setText(1, column(state, "Hide"), QStringLiteral("True")));
        QVERIFY(state.post());
        QCOMPARE(f.visibleSites(), QStringList({"Alpha Downloads", "MySoftware Site"}));
        QCOMPARE(f.siteRow("Beta Files").value("Hide").toInt(), 1);
        QCOMPARE(state.currentRow(), 1);
    }

    void deletingAsksAndKeepsTheFlags()
    {
        DataFixture f;
        f.open();
        addSites(f);
        RecordingMessageSink sink;
        SiteEditState state(f.dm());
        QVERIFY(state.moveTo(1));
        sink.setNextAnswer(MessageSink::Answer::No);
        QVERIFY(!state.remove());
        QCOMPARE(sink.questions.last().text, QStringLiteral("Delete the site \"Beta Files\"?"));
        QCOMPARE(f.dm().rowCount(Table::Sites), 5);
        sink.setNextAnswer(MessageSink::Answer::Yes);
        QVERIFY(state.remove());
        QCOMPARE(f.visibleSites(), QStringList({"Alpha Downloads", "MySoftware Site"}));
        QCOMPARE(f.flagRow("Tool", "Beta Files").value("Submitted").toInt(), 1);
        QCOMPARE(f.dm().sites().currentSiteName(), QStringLiteral("MySoftware Site"));
    }

    void closingWithAPendingEditAsks()
    {
        DataFixture f;
        f.open();
        addSites(f);
        RecordingMessageSink sink;
        SiteEditState state(f.dm());
        const int rating = column(state, "Rating");
        state.setText(0, rating, QStringLiteral("9"));

        sink.setNextAnswer(MessageSink::Answer::Cancel);
        QVERIFY(!state.finish());
        QVERIFY(state.isModified());
        QCOMPARE(sink.questions.size(), 1);
        QVERIFY(sink.questions.last().text.contains("Alpha Downloads"));

        sink.setNextAnswer(MessageSink::Answer::No);
        QVERIFY(state.finish());
        QCOMPARE(f.siteRow("Alpha Downloads").value("Rating").toInt(), 2);

        state.setText(0, rating, QStringLiteral("9"));
        sink.setNextAnswer(MessageSink::Answer::Yes);
        QVERIFY(state.finish());
        QCOMPARE(f.siteRow("Alpha Downloads").value("Rating").toInt(), 9);

        // Yes with a refused post keeps the window open.
        state.setText(0, rating, QStringLiteral("nine"));
        sink.setNextAnswer(MessageSink::Answer::Yes);
        QVERIFY(!state.finish());
        QVERIFY(state.isModified());
        QCOMPARE(f.siteRow("Alpha Downloads").value("Rating").toInt(), 9);
    }

    void findMatchesOneColumnWithOrWithoutCase()
    {
        DataFixture f;
        f.open();
        addSites(f);
        RecordingMessageSink sink;
        SiteEditState state(f.dm());
        const int name = column(state, "SiteName");
        QVERIFY(state.startFind());
        QVERIFY(state.findNext({name, QStringLiteral("soft"), false, true}));
        QCOMPARE(f.dm().sites().currentSiteName(), QStringLiteral("MySoftware Site"));

        QVERIFY(state.startFind());
        QVERIFY(!state.findNext({name, QStringLiteral("soft"), true, true}));
        QCOMPARE(sink.texts(), QStringList {"No matches found"});
        QCOMPARE(f.dm().sites().currentSiteName(), QStringLiteral("Alpha Downloads"));

        // Another column holds the text; only the chosen column is searched.
        QVERIFY(state.startFind());
        QVERIFY(!state.findNext({column(state, "Notes"), QStringLiteral("Alpha"), false, true}));
        QVERIFY(state.findNext({column(state, "Notes"), QStringLiteral("SECOND"), false, true}));
        QCOMPARE(f.dm().sites().currentSiteName(), QStringLiteral("Beta Files"));
        // An empty text finds nothing.
        QVERIFY(!state.findNext({name, QString(), false, true}));
    }

    void findUpAfterFindExaminesOnlyTheFirstRow()
    {
        DataFixture f;
        f.open();
        addSites(f);
        RecordingMessageSink sink;
        SiteEditState state(f.dm());
        const int name = column(state, "SiteName");
        QVERIFY(state.moveTo(2));
        QVERIFY(state.startFind());
        QCOMPARE(state.currentRow(), 0);
        QVERIFY(!state.findNext({name, QStringLiteral("Beta"), false, false}));
        QCOMPARE(state.currentRow(), 0);
        QCOMPARE(sink.texts(), QStringList {"No matches found"});
        QVERIFY(state.startFind());
        QVERIFY(state.findNext({name, QStringLiteral("alpha"), false, false}));
        QCOMPARE(state.currentRow(), 0);
    }

    void findNextGoesOnFromTheMatch()
    {
        DataFixture f;
        f.open();
        addSites(f);
        f.addSite("Softpedia Mirror");
        RecordingMessageSink sink;
        SiteEditState state(f.dm());
        const int name = column(state, "SiteName");
        const SiteSearch::Request down {name, QStringLiteral("SOFT"), false, true};
        QVERIFY(state.startFind());
        QVERIFY(state.findNext(down));
        QCOMPARE(f.dm().sites().currentSiteName(), QStringLiteral("MySoftware Site"));
        QVERIFY(state.findNext(down));
        QCOMPARE(f.dm().sites().currentSiteName(), QStringLiteral("Softpedia Mirror"));
        // Past the last row: the message, and the cursor back where this search began.
        QVERIFY(!state.findNext(down));
        QCOMPARE(f.dm().sites().currentSiteName(), QStringLiteral("Softpedia Mirror"));
        QCOMPARE(sink.texts(), QStringList {"No matches found"});
        // Upwards from there, the row before is the first examined.
        QVERIFY(state.findNext({name, QStringLiteral("soft"), false, false}));
        QCOMPARE(f.dm().sites().currentSiteName(), QStringLiteral("MySoftware Site"));
    }

    void findInABooleanColumnComparesTrueAndFalse()
    {
        DataFixture f;
        f.open();
        addSites(f);
        RecordingMessageSink sink;
        SiteEditState state(f.dm());
        const int pad = column(state, "Pad");
        QVERIFY(state.moveTo(1));
        QVERIFY(state.startFind());
        QVERIFY(state.findNext({pad, QStringLiteral("rue"), false, true}));
        QCOMPARE(state.currentRow(), 0);
        QVERIFY(state.findNext({pad, QStringLiteral("False"), true, true}));
        QCOMPARE(state.currentRow(), 1);
        // MySoftware Site's Pad is empty: neither word matches it.
        QVERIFY(!state.findNext({pad, QStringLiteral("a"), false, true}));
        QCOMPARE(state.currentRow(), 1);
    }

    void noMatchIsSaidInTheUsersLanguage()
    {
        DataFixture f;
        f.open();
        addSites(f);
        f.dir.writeFile("German.lng", "[Messages]\nNo matches found=Keine Treffer\n");
        f.config().language = QStringLiteral("German");
        useLanguageOf(&f.config());
        RecordingMessageSink sink;
        SiteEditState state(f.dm());
        QVERIFY(!state.findNext({column(state, "SiteName"), QStringLiteral("zzz"), false, true}));
        useLanguageOf(nullptr);
        QCOMPARE(sink.texts(), QStringList {"Keine Treffer"});
    }

    void findPostsAPendingEditFirst()
    {
        DataFixture f;
        f.open();
        addSites(f);
        RecordingMessageSink sink;
        SiteEditState state(f.dm());
        state.setText(0, column(state, "Rating"), QStringLiteral("x"));
        QVERIFY(!state.startFind());
        QVERIFY(!state.findNext({column(state, "SiteName"), QStringLiteral("Beta"), false, true}));
        QCOMPARE(state.currentRow(), 0);
        QCOMPARE(sink.texts().size(), 2);
        QVERIFY(sink.texts().first().startsWith("\"x\" is not a valid Rating"));
    }
};

QTEST_GUILESS_MAIN(TestSiteEditing)
#include "TestSiteEditing.moc"
