#include "MessageTranslator.h"
#include "PadDocument.h"
#include "PadFieldRules.h"
#include "PadPattern.h"
#include "PadValidator.h"
#include "PropertyCatalogue.h"
#include "Settings.h"
#include "TestSupport.h"

#include <QFile>
#include <QMap>
#include <QTest>

namespace {

using Fields = QMap<QString, QString>;
using Problems = QList<PadValidator::Problem>;

// A file that breaks no PAD 3.11 rule: every required field, valid.
Fields validFields()
{
    Fields fields;
    const auto add = [&](const QString& section, const QStringList& namesAndValues) {
        for (qsizetype i = 0; i + 1 < namesAndValues.size(); i += 2)
            fields.insert(section + QLatin1Char('/') + namesAndValues.at(i), namesAndValues.at(i + 1));
    };
    add("MASTER_PAD_VERSION_INFO", {"MASTER_PAD_VERSION", "3.11"});
    add("Company_Info",
        {"Company_Name", "Lantern Bay", "Address_1", "12 Harbour Row", "City_Town", "Port Ellis", "Country",
            "United Kingdom", "Company_WebSite_URL", "http://127.0.0.1/"});
    add("Company_Info/Contact_Info",
        {"Author_First_Name", "Maren", "Author_Last_Name", "Holt", "Author_Email", "maren@lanternbay.example",
            "Contact_First_Name", "Maren", "Contact_Last_Name", "Holt", "Contact_Email", "press@lanternbay.example"});
    add("Company_Info/Support_Info",
        {"Sales_Email", "sales@lanternbay.example", "Support_Email", "help@lanternbay.example", "General_Email",
            "hello@lanternbay.example", "General_Phone", "+44 1632 960123"});
    add("Program_Info",
        {"Program_Name", "NoteNest", "Program_Version", "2.4.1", "Program_Release_Month", "11", "Program_Release_Day",
            "18", "Program_Release_Year", "2026", "Program_Cost_Dollars", "19.95", "Program_Type", "Shareware",
            "Program_Release_Status", "New Release", "Program_Install_Support", "Install and Uninstall",
            "Program_OS_Support", "Win7 x64,WinXP,Linux", "Program_Language", "English,German",
            "Program_Category_Class", "Business::Other"});
    add("Program_Info/File_Info", {"File_Size_Bytes", "1536000", "File_Size_K", "1500", "File_Size_MB", "1.46"});
    add("Program_Info/Expire_Info", {"Has_Expire_Info", "Y"});
    add("Program_Descriptions/English", {"Char_Desc_45", "Notes that stay organised"});
    add("Web_Info/Application_URLs",
        {"Application_Info_URL", "http://127.0.0.1/nn/", "Application_Screenshot_URL", "http://127.0.0.1/s.png",
            "Application_Icon_URL", "http://127.0.0.1/i.gif", "Application_XML_File_URL", "http://127.0.0.1/pad.xml"});
    add("Web_Info/Download_URLs", {"Primary_Download_URL", "http://127.0.0.1/nn.zip"});
    return fields;
}

// The XML of fields (paths below the root, a null value leaves the field
// out), fields of one section inside one element.
QByteArray padXml(const Fields& fields)
{
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<XML_DIZ_INFO>");
    QStringList open; // the sections open, outermost first
    for (auto it = fields.cbegin(); it != fields.cend(); ++it) {
        if (it.value().isNull())
            continue;
        QStringList sections = it.key().split(QLatin1Char('/'));
        const QString name = sections.takeLast();
        while (open != sections.mid(0, open.size()))
            xml += QStringLiteral("</") + open.takeLast() + QLatin1Char('>');
        for (qsizetype i = open.size(); i < sections.size(); ++i)
            xml += QLatin1Char('<') + (open << sections.at(i)).last() + QLatin1Char('>');
        xml += QLatin1Char('<') + name + QLatin1Char('>') + it.value().toHtmlEscaped() + QStringLiteral("</") + name
            + QLatin1Char('>');
    }
    while (!open.isEmpty())
        xml += QStringLiteral("</") + open.takeLast() + QLatin1Char('>');
    return (xml + QStringLiteral("</XML_DIZ_INFO>\n")).toUtf8();
}

// The valid file with changes made (added, or left out by a null value).
Problems problemsWith(const Fields& changes = {})
{
    Fields fields = validFields();
    fields.insert(changes);
    return PadValidator::validate(PadDocument::parse(padXml(fields)));
}

QStringList linesOf(const Problems& problems)
{
    QStringList lines;
    for (const PadValidator::Problem& problem : problems)
        lines << problem.line();
    return lines;
}

} // namespace

class TestPadValidator : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void perlEndAnchorIsTranslatedOnce_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("translated");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("matches");
        const auto row = [](const char* name, const QString& pattern, const QString& translated, const QString& value,
                             bool matches) { QTest::newRow(name) << pattern << translated << value << matches; };
        const QString end = QStringLiteral("(?=\\n?\\z)");
        const QString abc = QStringLiteral("^abc\\Z");
        row("end", abc, "^abc" + end, "abc", true);
        row("one final line break", abc, "^abc" + end, "abc\n", true);
        row("two final line breaks", abc, "^abc" + end, "abc\n\n", false);
        row("final CR is no line break", abc, "^abc" + end, "abc\r", false);
        row("escaped backslash then Z", "^a\\\\Z", "^a\\\\Z", "a\\Z", true);
        row("other escapes kept", "^\\@\\/\\Z", "^\\@\\/" + end, "@/", true);
        // The \xbc-\xff ranges on decoded characters: the Address_1 rows of eachKindOfRule.
    }

    void perlEndAnchorIsTranslatedOnce()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, translated);
        QFETCH(QString, value);
        QFETCH(bool, matches);
        QCOMPARE(PadPattern::translate(pattern), translated);
        QCOMPARE(PadPattern::matches(PadPattern::compile(pattern), value), matches);
    }

    void everyPatternCompiles()
    {
        for (const PadFieldRules::Rule& rule : PadFieldRules::rules()) {
            QVERIFY2(
                rule.expression.isValid(), qPrintable(rule.path + QLatin1Char(' ') + rule.expression.errorString()));
            QCOMPARE(PadPattern::matches(rule.expression, QString()), !rule.required);
        }
    }

    void validFileHasNoProblem() { QCOMPARE(linesOf(problemsWith()), QStringList()); }

    void eachKindOfRule_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("value");    // null: the element is left out
        QTest::addColumn<QString>("expected"); // the problem lines; empty: no problem
        QTest::addColumn<QString>("inside");   // null, or a value just inside the limit value breaks
        // line: the whole line; rule: "LEVEL: TEXT", the line with the path
        // and the value as given between; limit: the value just inside,
        // then the one just outside.
        const auto line
            = [](const char* name, const QString& path, const QString& value, const QString& expected,
                  const QString& inside = QString()) { QTest::newRow(name) << path << value << expected << inside; };
        const auto lineOf = [](const QString& path, const QString& value, const QString& rule) {
            const qsizetype colon = rule.indexOf(QLatin1String(": "));
            return rule.left(colon) + ": " + path + " \"" + value + "\"" + rule.mid(colon);
        };
        const auto row = [&](const char* name, const QString& path, const QString& value, const QString& rule = {}) {
            line(name, path, value, rule.isEmpty() ? rule : lineOf(path, value, rule));
        };
        const auto limit = [&](const char* name, const QString& path, const QString& inside, const QString& value,
                               const QString& rule) { line(name, path, value, lineOf(path, value, rule), inside); };
        const auto repeated = [](int count, char c) { return QString(count, QLatin1Char(c)); };

        const QString d45 = QStringLiteral("Program_Descriptions/English/Char_Desc_45");
        const QString company = QStringLiteral("Company_Info/Company_Name");
        const QString d2000 = QStringLiteral("Program_Descriptions/English/Char_Desc_2000");
        limit("45, 46 of 45", d45, repeated(45, 'a'), repeated(46, 'a'),
            "error: Char_Desc_45 has 46 characters; PAD allows 45");
        row("45 with a character beyond UTF-16", d45, repeated(44, 'a') + QStringLiteral("\U0001F600"));
        limit("2, 1 of at least 2", company, "AB", "A", "error: Company_Name has 1 character; PAD asks for at least 2");
        line("2001 shown cut to 60", d2000, repeated(2001, 'z'),
            "error: " + d2000 + " \"" + repeated(59, 'z')
                + QStringLiteral("\u2026\": Char_Desc_2000 has 2001 characters; PAD allows 2000"));

        // Character class.
        const QString address = QStringLiteral("Company_Info/Address_1");
        const QString version = QStringLiteral("Program_Info/Program_Version");
        const QString notHere = QStringLiteral(", which PAD does not allow here");
        limit("address with U+00BC and U+00FF, U+00BB", address, QStringLiteral("\u00bc Rue \u00ff"),
            QStringLiteral("Rue \u00bb"), QStringLiteral("error: Address_1 holds the character \"\u00bb\"") + notHere);
        row("address with U+0100", address, QStringLiteral("Rue \u0100"),
            QStringLiteral("error: Address_1 holds the character \"\u0100\"") + notHere);
        row("description with a tab", d45, "a\tb", "error: Char_Desc_45 holds the character U+0009" + notHere);

        // Blanks and line breaks at a value's ends, which a reader that trims
        // never sees: the pattern decides as for the others.
        const QString type = QStringLiteral("Program_Info/Program_Type");
        const QString begins = QStringLiteral(" begins with a blank or line break") + notHere;
        const QString ends = QStringLiteral(" ends with a blank or line break") + notHere;
        row("version after a blank", version, " 2.4.1", "error: Program_Version" + begins);
        row("month after a blank", "Program_Info/Program_Release_Month", " 11",
            "error: Program_Release_Month" + begins);
        line("version between blanks", version, " 2.4.1 ",
            "error: " + version + " \" 2.4.1 \": Program_Version" + begins + "\nerror: " + version
                + " \" 2.4.1 \": Program_Version" + ends);
        // Perl's \Z allows one final line break.
        limit("type before a line break, a blank", type, "Shareware\n", "Shareware ", "error: Program_Type" + ends);
        limit("44, 45 and a blank of 45", d45, repeated(44, 'a') + " ", repeated(45, 'a') + " ",
            "error: Char_Desc_45 has 46 characters, counting the blanks and line breaks at its ends; PAD allows 45");
        row("mail after a blank", "Company_Info/Contact_Info/Contact_Email", " ab@cd.ef"); // the pattern takes any
        line("blanks alone", "Program_Info/Program_Name", "   ",
            "error: Program_Info/Program_Name \"\": Program_Name is empty; PAD requires a value");

        // E-mail shape.
        const QString mail = QStringLiteral("Company_Info/Contact_Info/Contact_Email");
        const QString noMail = QStringLiteral("error: Contact_Email is no e-mail address of the form name@host.domain");
        limit("shortest mail, one before @", mail, "ab@cd.ef", "a@cd.ef", noMail);

        // Enumerations.
        const QString types = QStringLiteral(
            "error: Program_Type is not one of the values PAD allows: Shareware, Freeware, Adware, Demo, Commercial, "
            "Data Only");
        limit("type Data Only, in lower case", type, "Data Only", "shareware", types);
        // A list too long to quote is counted instead.
        row("category not in the list", "Program_Info/Program_Category_Class", "Business::Others",
            "error: Program_Category_Class is not one of the 155 values PAD allows");

        // Required.
        const QString name = QStringLiteral("Program_Info/Program_Name");
        line("required, missing", name, QString(), "error: " + name + ": Program_Name is missing; PAD requires it");
        row("required, empty", name, "", "error: Program_Name is empty; PAD requires a value");
        row("optional, empty", "Program_Info/Program_Cost_Dollars", "");

        // Warnings.
        const QString info = QStringLiteral("Web_Info/Application_URLs/Application_Info_URL");
        const QString os = QStringLiteral("Program_Info/Program_OS_Support");
        row("https where http", info, "https://127.0.0.1/nn/",
            "warning: Application_Info_URL starts with https://; PAD 3.11 names http://");
        row("https allowed", "Web_Info/Application_URLs/Application_Order_URL", "https://127.0.0.1/buy");
        row("ftp is no info address", info, "ftp://127.0.0.1/nn/",
            QStringLiteral("error: Application_Info_URL is no address of the form http://\u2026"));
        row("Windows 11", os, "Windows 11,Linux",
            "warning: Program_OS_Support names \"Windows 11\", which the PAD 3.11 list lacks; the closest 3.11 id is "
            "\"WinOther\"");
        line("system with a line break, on one line", os, "Win\nXP",
            "warning: " + os
                + " \"Win\\nXP\": Program_OS_Support names \"Win\\nXP\", which the PAD 3.11 list lacks; the closest "
                  "3.11 id is \"WinOther\"");
        row("systems with a semicolon", os, "WinXP;Linux",
            "error: Program_OS_Support is no list of PAD ids separated by commas");
        row("languages with a blank", "Program_Info/Program_Language", "English, German",
            "warning: Program_Language separates its languages with blanks; PAD 3.11 joins them with bare commas");

        // Numbers, dates, prices, phones.
        const QString bytes = QStringLiteral("Program_Info/File_Info/File_Size_Bytes");
        const QString noBytes = QStringLiteral("error: File_Size_Bytes is no whole number of the digits PAD allows");
        const QString month = QStringLiteral("Program_Info/Program_Release_Month");
        const QString noMonth = QStringLiteral("error: Program_Release_Month is no two-digit month from 01 to 12");
        const QString phone = QStringLiteral("Company_Info/Support_Info/General_Phone");
        limit("3, 2 digits", bytes, "100", "99", noBytes);
        limit("month 12, 13", month, "12", "13", noMonth);
        row("price 19.9", "Program_Info/Program_Cost_Dollars", "19.9",
            "error: Program_Cost_Dollars is no price of the form 12 or 12.95");
        limit("phone of 7, 6", phone, "1234567", "123456",
            "error: General_Phone is no phone number: at most two +, then 7 to 40 digits or # * ( ) - / _");
    }

    void eachKindOfRule()
    {
        QFETCH(QString, path);
        QFETCH(QString, value);
        QFETCH(QString, expected);
        QFETCH(QString, inside);
        QCOMPARE(linesOf(problemsWith({{path, value}})).join(QLatin1Char('\n')), expected);
        if (!inside.isNull())
            QCOMPARE(linesOf(problemsWith({{path, inside}})), QStringList());
    }

    void elementNamesAreCaseSensitive()
    {
        QByteArray xml = padXml(validFields());
        xml.replace("<Web_Info>", "<WEB_INFO>").replace("</Web_Info>", "</WEB_INFO>");
        // One error where the name is miscased, none for what lies below.
        QCOMPARE(linesOf(PadValidator::validate(PadDocument::parse(xml))),
            QStringList {"error: WEB_INFO: Web_Info is written WEB_INFO; PAD element names are case-sensitive"});
        xml.replace("<Program_Name>", "<PROGRAM_NAME>").replace("</Program_Name>", "</PROGRAM_NAME>");
        const Problems problems = PadValidator::validate(PadDocument::parse(xml));
        QCOMPARE(problems.size(), 2);
        QCOMPARE(problems.at(0).line(),
            QStringLiteral("error: Program_Info/PROGRAM_NAME \"NoteNest\": Program_Name is written PROGRAM_NAME; PAD "
                           "element names are case-sensitive"));
        QCOMPARE(problems.at(0).field, QStringLiteral("Program_Info/Program_Name"));
    }

    void everyLanguageBlockIsChecked()
    {
        const Problems problems = problemsWith({{"Program_Descriptions/German/Char_Desc_45", QString(50, 'g')},
            {"Program_Descriptions/Notes/Char_Desc_45", QString(50, 'n')}});
        QCOMPARE(linesOf(problems),
            QStringList {"error: Program_Descriptions/German/Char_Desc_45 \"" + QString(50, 'g')
                + "\": Char_Desc_45 has 50 characters; PAD allows 45"});
        QCOMPARE(problems.first().field, QStringLiteral("Program_Descriptions/English/Char_Desc_45"));
    }

    void misspeltSectionIsAWarningAndExtensionsPass()
    {
        QCOMPARE(linesOf(problemsWith(
                     {{"Program_Description/English/Char_Desc_45", "Lost"}, {"Affiliates/Affiliates_FORM", "Y"}})),
            QStringList {"warning: Program_Description: Program_Description is no PAD element; the format names "
                         "Program_Descriptions, so a site reads nothing from it"});
    }

    void failuresAndSummaryCountErrorsAndWarnings_data()
    {
        QTest::addColumn<Fields>("changes");
        QTest::addColumn<QString>("language");
        QTest::addColumn<int>("failures");
        QTest::addColumn<int>("strict");
        QTest::addColumn<QString>("summary");
        // Each language's none, one and two of both kinds.
        const Fields noneAndTwo {{"Web_Info/Application_URLs/Application_Info_URL", "https://x.example/"},
            {"Web_Info/Application_URLs/Application_Icon_URL", "https://x.example/i.gif"}};
        const Fields oneOfEach {{"Web_Info/Application_URLs/Application_Info_URL", "https://x.example/"},
            {"Program_Info/Program_Type", "Nagware"}};
        const Fields twoAndNone {{"Program_Info/Program_Type", "Nagware"}, {"Program_Info/Program_Version", "1 0"}};
        QTest::newRow("no problem") << Fields() << "English" << 0 << 0 << "pad.xml: no problems found.";
        QTest::newRow("0, 2") << noneAndTwo << "English" << 0 << 2 << "pad.xml: no errors, 2 warnings";
        QTest::newRow("1, 1") << oneOfEach << "English" << 1 << 2 << "pad.xml: 1 error, 1 warning";
        QTest::newRow("2, 0") << twoAndNone << "English" << 2 << 2 << "pad.xml: 2 errors, no warnings";
        QTest::newRow("German 0, 2") << noneAndTwo << "German" << 0 << 2 << "pad.xml: keine Fehler, 2 Warnungen";
        QTest::newRow("German 1, 1") << oneOfEach << "German" << 1 << 2 << "pad.xml: 1 Fehler, 1 Warnung";
        QTest::newRow("German 2, 0") << twoAndNone << "German" << 2 << 2 << "pad.xml: 2 Fehler, keine Warnungen";
        QTest::newRow("French 0, 2") << noneAndTwo << "French" << 0 << 2 << "pad.xml : aucune erreur, 2 avertissements";
        QTest::newRow("French 1, 1") << oneOfEach << "French" << 1 << 2 << "pad.xml : 1 erreur, 1 avertissement";
        QTest::newRow("French 2, 0") << twoAndNone << "French" << 2 << 2 << "pad.xml : 2 erreurs, aucun avertissement";
    }

    void failuresAndSummaryCountErrorsAndWarnings()
    {
        QFETCH(Fields, changes);
        QFETCH(QString, language);
        QFETCH(int, failures);
        QFETCH(int, strict);
        QFETCH(QString, summary);
        const Problems problems = problemsWith(changes);
        QCOMPARE(PadValidator::failures(problems, false), failures);
        QCOMPARE(PadValidator::failures(problems, true), strict);
        // The shipped language file, as the program reads it.
        TestProgramDirectory dir;
        QVERIFY(QFile::copy(
            qEnvironmentVariable("QUILLET_LANGUAGE_SOURCES") + "/" + language + ".lng", dir.file(language + ".lng")));
        PropertyCatalogue properties;
        Settings config(dir.path(), properties);
        config.language = language;
        useLanguageOf(&config);
        const QString text = PadValidator::summary(QStringLiteral("pad.xml"), problems);
        useLanguageOf(nullptr);
        QCOMPARE(text, summary);
    }

    void otherRootIsOneError()
    {
        QCOMPARE(linesOf(PadValidator::validate(PadDocument::parse("<rss><channel/></rss>"))),
            QStringList {QStringLiteral("error: rss: The root element is rss; a PAD file's root is XML_DIZ_INFO")});
    }
};

QTEST_GUILESS_MAIN(TestPadValidator)
#include "TestPadValidator.moc"
