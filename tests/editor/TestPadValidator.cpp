#include "PadDocument.h"
#include "PadFieldRules.h"
#include "PadPattern.h"
#include "PadValidator.h"
#include "QuilletError.h"
#include "TestSupport.h"

#include <QFile>
#include <QMap>
#include <QTest>

#include <optional>

namespace {

// A file that breaks no PAD 3.11 rule: every required field, valid.
QMap<QString, QString> validFields()
{
    return {
        {QStringLiteral("MASTER_PAD_VERSION_INFO/MASTER_PAD_VERSION"), QStringLiteral("3.11")},
        {QStringLiteral("Company_Info/Company_Name"), QStringLiteral("Lantern Bay")},
        {QStringLiteral("Company_Info/Address_1"), QStringLiteral("12 Harbour Row")},
        {QStringLiteral("Company_Info/City_Town"), QStringLiteral("Port Ellis")},
        {QStringLiteral("Company_Info/Country"), QStringLiteral("United Kingdom")},
        {QStringLiteral("Company_Info/Company_WebSite_URL"), QStringLiteral("http://127.0.0.1/")},
        {QStringLiteral("Company_Info/Contact_Info/Author_First_Name"), QStringLiteral("Maren")},
        {QStringLiteral("Company_Info/Contact_Info/Author_Last_Name"), QStringLiteral("Holt")},
        {QStringLiteral("Company_Info/Contact_Info/Author_Email"), QStringLiteral("maren@lanternbay.example")},
        {QStringLiteral("Company_Info/Contact_Info/Contact_First_Name"), QStringLiteral("Maren")},
        {QStringLiteral("Company_Info/Contact_Info/Contact_Last_Name"), QStringLiteral("Holt")},
        {QStringLiteral("Company_Info/Contact_Info/Contact_Email"), QStringLiteral("press@lanternbay.example")},
        {QStringLiteral("Company_Info/Support_Info/Sales_Email"), QStringLiteral("sales@lanternbay.example")},
        {QStringLiteral("Company_Info/Support_Info/Support_Email"), QStringLiteral("help@lanternbay.example")},
        {QStringLiteral("Company_Info/Support_Info/General_Email"), QStringLiteral("hello@lanternbay.example")},
        {QStringLiteral("Company_Info/Support_Info/General_Phone"), QStringLiteral("+44 1632 960123")},
        {QStringLiteral("Program_Info/Program_Name"), QStringLiteral("NoteNest")},
        {QStringLiteral("Program_Info/Program_Version"), QStringLiteral("2.4.1")},
        {QStringLiteral("Program_Info/Program_Release_Month"), QStringLiteral("11")},
        {QStringLiteral("Program_Info/Program_Release_Day"), QStringLiteral("18")},
        {QStringLiteral("Program_Info/Program_Release_Year"), QStringLiteral("2026")},
        {QStringLiteral("Program_Info/Program_Cost_Dollars"), QStringLiteral("19.95")},
        {QStringLiteral("Program_Info/Program_Type"), QStringLiteral("Shareware")},
        {QStringLiteral("Program_Info/Program_Release_Status"), QStringLiteral("New Release")},
        {QStringLiteral("Program_Info/Program_Install_Support"), QStringLiteral("Install and Uninstall")},
        {QStringLiteral("Program_Info/Program_OS_Support"), QStringLiteral("Win7 x64,WinXP,Linux")},
        {QStringLiteral("Program_Info/Program_Language"), QStringLiteral("English,German")},
        {QStringLiteral("Program_Info/Program_Category_Class"), QStringLiteral("Business::Other")},
        {QStringLiteral("Program_Info/File_Info/File_Size_Bytes"), QStringLiteral("1536000")},
        {QStringLiteral("Program_Info/File_Info/File_Size_K"), QStringLiteral("1500")},
        {QStringLiteral("Program_Info/File_Info/File_Size_MB"), QStringLiteral("1.46")},
        {QStringLiteral("Program_Info/Expire_Info/Has_Expire_Info"), QStringLiteral("Y")},
        {QStringLiteral("Program_Descriptions/English/Char_Desc_45"), QStringLiteral("Notes that stay organised")},
        {QStringLiteral("Web_Info/Application_URLs/Application_Info_URL"), QStringLiteral("http://127.0.0.1/nn/")},
        {QStringLiteral("Web_Info/Application_URLs/Application_Screenshot_URL"),
            QStringLiteral("http://127.0.0.1/s.png")},
        {QStringLiteral("Web_Info/Application_URLs/Application_Icon_URL"), QStringLiteral("http://127.0.0.1/i.gif")},
        {QStringLiteral("Web_Info/Application_URLs/Application_XML_File_URL"),
            QStringLiteral("http://127.0.0.1/pad.xml")},
        {QStringLiteral("Web_Info/Download_URLs/Primary_Download_URL"), QStringLiteral("http://127.0.0.1/nn.zip")},
    };
}

QString escaped(const QString& text)
{
    return text.toHtmlEscaped();
}

// The XML of fields (paths below the root, a null value leaves the field
// out), fields of one section inside one element.
QByteArray padXml(const QMap<QString, QString>& fields)
{
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<XML_DIZ_INFO>");
    QStringList open;
    const auto closeTo = [&](qsizetype depth) {
        while (open.size() > depth)
            xml += QStringLiteral("</") + open.takeLast() + QLatin1Char('>');
    };
    for (auto it = fields.cbegin(); it != fields.cend(); ++it) {
        if (it.value().isNull())
            continue;
        QStringList sections = it.key().split(QLatin1Char('/'));
        const QString name = sections.takeLast();
        qsizetype shared = 0;
        while (shared < open.size() && shared < sections.size() && open.at(shared) == sections.at(shared))
            ++shared;
        closeTo(shared);
        for (qsizetype i = shared; i < sections.size(); ++i) {
            xml += QLatin1Char('<') + sections.at(i) + QLatin1Char('>');
            open << sections.at(i);
        }
        xml += QLatin1Char('<') + name + QLatin1Char('>') + escaped(it.value()) + QStringLiteral("</") + name
            + QLatin1Char('>');
    }
    closeTo(0);
    xml += QStringLiteral("</XML_DIZ_INFO>\n");
    return xml.toUtf8();
}

QStringList problemLines(const QByteArray& xml)
{
    QStringList lines;
    for (const PadValidator::Problem& problem : PadValidator::validate(PadDocument::parse(xml)))
        lines << problem.line();
    return lines;
}

QStringList linesWith(const QString& path, const QString& value)
{
    QMap<QString, QString> fields = validFields();
    fields.insert(path, value);
    return problemLines(padXml(fields));
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
        const QString end = QStringLiteral("(?=\\n?\\z)");
        QTest::newRow("end") << "^abc\\Z" << QStringLiteral("^abc") + end << "abc" << true;
        QTest::newRow("one final line break") << "^abc\\Z" << QStringLiteral("^abc") + end << "abc\n" << true;
        QTest::newRow("two final line breaks") << "^abc\\Z" << QStringLiteral("^abc") + end << "abc\n\n" << false;
        QTest::newRow("final CR is no line break") << "^abc\\Z" << QStringLiteral("^abc") + end << "abc\r" << false;
        QTest::newRow("more after") << "^abc\\Z" << QStringLiteral("^abc") + end << "abcd" << false;
        QTest::newRow("escaped backslash then Z") << "^a\\\\Z"
                                                  << "^a\\\\Z"
                                                  << "a\\Z" << true;
        QTest::newRow("other escapes kept") << "^\\@\\/\\Z" << QStringLiteral("^\\@\\/") + end << "@/" << true;
        QTest::newRow("latin-1 range, first")
            << "^[\\xbc-\\xff]\\Z" << QStringLiteral("^[\\xbc-\\xff]") + end << QStringLiteral("\u00bc") << true;
        QTest::newRow("latin-1 range, last")
            << "^[\\xbc-\\xff]\\Z" << QStringLiteral("^[\\xbc-\\xff]") + end << QStringLiteral("\u00ff") << true;
        QTest::newRow("latin-1 range, before")
            << "^[\\xbc-\\xff]\\Z" << QStringLiteral("^[\\xbc-\\xff]") + end << QStringLiteral("\u00bb") << false;
        QTest::newRow("latin-1 range, after")
            << "^[\\xbc-\\xff]\\Z" << QStringLiteral("^[\\xbc-\\xff]") + end << QStringLiteral("\u0100") << false;
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
        QCOMPARE(PadFieldRules::rules().size(), 68);
        int required = 0;
        for (const PadFieldRules::Rule& rule : PadFieldRules::rules()) {
            QVERIFY2(
                rule.expression.isValid(), qPrintable(rule.path + QLatin1Char(' ') + rule.expression.errorString()));
            required += rule.required ? 1 : 0;
            QCOMPARE(PadPattern::matches(rule.expression, QString()), !rule.required);
        }
        QCOMPARE(required, 34);
        QCOMPARE(PadFieldRules::find(QStringLiteral("Program_Info/Program_OS_Support"))->values.size(), 33);
        QCOMPARE(PadFieldRules::find(QStringLiteral("Program_Info/Program_Language"))->values.size(), 139);
        QCOMPARE(PadFieldRules::find(QStringLiteral("Program_Info/Program_Category_Class"))->values.size(), 155);
    }

    void validFileHasNoProblem() { QCOMPARE(problemLines(padXml(validFields())), QStringList()); }

    void eachKindOfRule_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected"); // empty: no problem

        const QString d45 = QStringLiteral("Program_Descriptions/English/Char_Desc_45");
        // Length.
        QTest::newRow("45 of 45") << d45 << QString(45, QLatin1Char('a')) << "";
        QTest::newRow("46 of 45") << d45 << QString(46, QLatin1Char('a'))
                                  << "error: " + d45 + " \"" + QString(46, QLatin1Char('a'))
                + "\": Char_Desc_45 has 46 characters; PAD allows 45";
        QTest::newRow("45 with a character beyond UTF-16")
            << d45 << QString(44, QLatin1Char('a')) + QStringLiteral("\U0001F600") << "";
        const QString company = QStringLiteral("Company_Info/Company_Name");
        QTest::newRow("2 of at least 2") << company << "AB"
                                         << "";
        QTest::newRow("1 of at least 2") << company << "A"
                                         << "error: " + company
                + " \"A\": Company_Name has 1 characters; PAD asks for at least 2";
        QTest::newRow("40 of 40") << company << QString(40, QLatin1Char('c')) << "";
        QTest::newRow("41 of 40") << company << QString(41, QLatin1Char('c'))
                                  << "error: " + company + " \"" + QString(41, QLatin1Char('c'))
                + "\": Company_Name has 41 characters; PAD allows 40";
        const QString d2000 = QStringLiteral("Program_Descriptions/English/Char_Desc_2000");
        QTest::newRow("2001 shown cut to 60") << d2000 << QString(2001, QLatin1Char('z'))
                                              << "error: " + d2000 + " \"" + QString(59, QLatin1Char('z'))
                + QStringLiteral("\u2026\": Char_Desc_2000 has 2001 characters; PAD allows 2000");

        // Character class.
        const QString address = QStringLiteral("Company_Info/Address_1");
        QTest::newRow("address with U+00BC and U+00FF") << address << QStringLiteral("\u00bc Rue \u00ff") << "";
        QTest::newRow("address with U+00BB") << address << QStringLiteral("Rue \u00bb")
                                             << "error: " + address
                + QStringLiteral(
                    " \"Rue \u00bb\": Address_1 holds the character \"\u00bb\", which PAD does not allow here");
        QTest::newRow("address with U+0100") << address << QStringLiteral("Rue \u0100")
                                             << "error: " + address
                + QStringLiteral(
                    " \"Rue \u0100\": Address_1 holds the character \"\u0100\", which PAD does not allow here");
        QTest::newRow("description with a tab")
            << d45 << "a\tb"
            << "error: " + d45 + " \"a\tb\": Char_Desc_45 holds the character U+0009, which PAD does not allow here";
        QTest::newRow("version with a blank")
            << "Program_Info/Program_Version"
            << "1.0 beta"
            << "error: Program_Info/Program_Version \"1.0 beta\": Program_Version holds the "
               "character \" \", which PAD does not allow here";

        // E-mail shape.
        const QString mail = QStringLiteral("Company_Info/Contact_Info/Contact_Email");
        const QString noMail = QStringLiteral("Contact_Email is no e-mail address of the form name@host.domain");
        QTest::newRow("shortest mail") << mail << "ab@cd.ef"
                                       << "";
        QTest::newRow("one before @") << mail << "a@cd.ef"
                                      << "error: " + mail + " \"a@cd.ef\": " + noMail;
        QTest::newRow("one host letter") << mail << "ab@c.ef"
                                         << "error: " + mail + " \"ab@c.ef\": " + noMail;
        QTest::newRow("one domain letter") << mail << "ab@cd.e"
                                           << "error: " + mail + " \"ab@cd.e\": " + noMail;
        QTest::newRow("30 before @") << mail << QString(30, QLatin1Char('n')) + QStringLiteral("@cd.ef") << "";
        QTest::newRow("31 before @") << mail << QString(31, QLatin1Char('n')) + QStringLiteral("@cd.ef")
                                     << "error: " + mail + " \"" + QString(31, QLatin1Char('n'))
                + "@cd.ef\": " + noMail;

        // Enumerations.
        const QString type = QStringLiteral("Program_Info/Program_Type");
        const QString types = QStringLiteral("Shareware, Freeware, Adware, Demo, Commercial, Data Only");
        QTest::newRow("type Data Only") << type << "Data Only"
                                        << "";
        QTest::newRow("type in lower case")
            << type << "shareware"
            << "error: " + type + " \"shareware\": Program_Type is not one of the values PAD allows: " + types;
        QTest::newRow("type as the editor lists it")
            << type << "Time-limited trial"
            << "error: " + type + " \"Time-limited trial\": Program_Type is not one of the values PAD allows: " + types;
        const QString status = QStringLiteral("Program_Info/Program_Release_Status");
        QTest::newRow("status Beta") << status << "Beta"
                                     << "";
        QTest::newRow("status beta") << status << "beta"
                                     << "error: " + status
                + " \"beta\": Program_Release_Status is not one of the values PAD allows: Major Update, Minor Update, "
                  "New Release, Beta, Alpha, Media Only";
        const QString install = QStringLiteral("Program_Info/Program_Install_Support");
        QTest::newRow("install Install Only") << install << "Install Only"
                                              << "";
        QTest::newRow("install Install") << install << "Install"
                                         << "error: " + install
                + " \"Install\": Program_Install_Support is not one of the values PAD allows: Install and Uninstall, "
                  "Install Only, No Install Support, Uninstall Only";

        // Required.
        const QString name = QStringLiteral("Program_Info/Program_Name");
        QTest::newRow("required, missing")
            << name << QString() << "error: " + name + ": Program_Name is missing; PAD requires it";
        QTest::newRow("required, empty") << name << ""
                                         << "error: " + name + " \"\": Program_Name is empty; PAD requires a value";
        QTest::newRow("optional, empty") << "Program_Info/Program_Cost_Dollars"
                                         << ""
                                         << "";

        // Warnings.
        const QString info = QStringLiteral("Web_Info/Application_URLs/Application_Info_URL");
        QTest::newRow("https where http") << info << "https://127.0.0.1/nn/"
                                          << "warning: " + info
                + " \"https://127.0.0.1/nn/\": Application_Info_URL starts with https://; PAD 3.11 names http://";
        QTest::newRow("https allowed") << "Web_Info/Application_URLs/Application_Order_URL"
                                       << "https://127.0.0.1/buy"
                                       << "";
        QTest::newRow("ftp is no info address") << info << "ftp://127.0.0.1/nn/"
                                                << "error: " + info
                + QStringLiteral(
                    " \"ftp://127.0.0.1/nn/\": Application_Info_URL is no address of the form http://\u2026");
        const QString os = QStringLiteral("Program_Info/Program_OS_Support");
        QTest::newRow("Windows 11") << os << "Windows 11,Linux"
                                    << "warning: " + os
                + " \"Windows 11,Linux\": Program_OS_Support names \"Windows 11\", which the PAD 3.11 list lacks; the "
                  "closest 3.11 id is \"WinOther\"";
        QTest::newRow("system with a line break, on one line") << os << "Win\nXP"
                                                               << "warning: " + os
                + " \"Win\\nXP\": Program_OS_Support names \"Win\\nXP\", which the PAD 3.11 list lacks; the closest "
                  "3.11 "
                  "id is \"WinOther\"";
        QTest::newRow("systems with a semicolon")
            << os << "WinXP;Linux"
            << "error: " + os + " \"WinXP;Linux\": Program_OS_Support is no list of PAD ids separated by commas";
        const QString language = QStringLiteral("Program_Info/Program_Language");
        QTest::newRow("languages with a blank") << language << "English, German"
                                                << "warning: " + language
                + " \"English, German\": Program_Language separates its languages with blanks; PAD 3.11 joins them "
                  "with bare commas";

        // Numbers, dates, prices, phones.
        const QString bytes = QStringLiteral("Program_Info/File_Info/File_Size_Bytes");
        QTest::newRow("3 digits") << bytes << "100"
                                  << "";
        QTest::newRow("2 digits") << bytes << "99"
                                  << "error: " + bytes
                + " \"99\": File_Size_Bytes is no whole number of the digits PAD allows";
        QTest::newRow("16 digits") << bytes << QString(16, QLatin1Char('9')) << "";
        QTest::newRow("17 digits") << bytes << QString(17, QLatin1Char('9'))
                                   << "error: " + bytes + " \"" + QString(17, QLatin1Char('9'))
                + "\": File_Size_Bytes is no whole number of the digits PAD allows";
        QTest::newRow("separators") << bytes << "1,536,000"
                                    << "error: " + bytes
                + " \"1,536,000\": File_Size_Bytes is no whole number of the digits PAD allows";
        const QString month = QStringLiteral("Program_Info/Program_Release_Month");
        QTest::newRow("month 12") << month << "12"
                                  << "";
        QTest::newRow("month 13") << month << "13"
                                  << "error: " + month
                + " \"13\": Program_Release_Month is no two-digit month from 01 to 12";
        QTest::newRow("month 3") << month << "3"
                                 << "error: " + month
                + " \"3\": Program_Release_Month is no two-digit month from 01 to 12";
        const QString price = QStringLiteral("Program_Info/Program_Cost_Dollars");
        QTest::newRow("price 19.9") << price << "19.9"
                                    << "error: " + price
                + " \"19.9\": Program_Cost_Dollars is no price of the form 12 or 12.95";
        const QString phone = QStringLiteral("Company_Info/Support_Info/General_Phone");
        QTest::newRow("phone of 7") << phone << "1234567"
                                    << "";
        QTest::newRow("phone of 6") << phone << "123456"
                                    << "error: " + phone
                + " \"123456\": General_Phone is no phone number: at most two +, then 7 to 40 digits or # * ( ) - / _";
    }

    void eachKindOfRule()
    {
        QFETCH(QString, path);
        QFETCH(QString, value);
        QFETCH(QString, expected);
        QCOMPARE(linesWith(path, value), expected.isEmpty() ? QStringList() : QStringList {expected});
    }

    void elementNamesAreCaseSensitive()
    {
        QByteArray xml = padXml(validFields());
        xml.replace("<Web_Info>", "<WEB_INFO>").replace("</Web_Info>", "</WEB_INFO>");
        const QStringList lines = problemLines(xml);
        // One error where the name is miscased, none for what lies below.
        QCOMPARE(lines,
            QStringList {
                QStringLiteral("error: WEB_INFO: Web_Info is written WEB_INFO; PAD element names are case-sensitive")});
        xml.replace("<Program_Name>", "<PROGRAM_NAME>").replace("</Program_Name>", "</PROGRAM_NAME>");
        const QList<PadValidator::Problem> problems = PadValidator::validate(PadDocument::parse(xml));
        QCOMPARE(problems.size(), 2);
        QCOMPARE(problems.at(0).line(),
            QStringLiteral("error: Program_Info/PROGRAM_NAME \"NoteNest\": Program_Name is written PROGRAM_NAME; PAD "
                           "element names are case-sensitive"));
        QCOMPARE(problems.at(0).field, QStringLiteral("Program_Info/Program_Name"));
    }

    void everyLanguageBlockIsChecked()
    {
        QMap<QString, QString> fields = validFields();
        fields.insert(QStringLiteral("Program_Descriptions/German/Char_Desc_45"), QString(50, QLatin1Char('g')));
        fields.insert(QStringLiteral("Program_Descriptions/Notes/Char_Desc_45"), QString(50, QLatin1Char('n')));
        const QStringList lines = problemLines(padXml(fields));
        QCOMPARE(lines,
            QStringList {QStringLiteral("error: Program_Descriptions/German/Char_Desc_45 \"")
                + QString(50, QLatin1Char('g')) + QStringLiteral("\": Char_Desc_45 has 50 characters; PAD allows 45")});
        const QList<PadValidator::Problem> problems = PadValidator::validate(PadDocument::parse(padXml(fields)));
        QCOMPARE(problems.first().field, QStringLiteral("Program_Descriptions/English/Char_Desc_45"));
    }

    void misspeltSectionIsAWarningAndExtensionsPass()
    {
        QMap<QString, QString> fields = validFields();
        fields.insert(QStringLiteral("Program_Description/English/Char_Desc_45"), QStringLiteral("Lost"));
        fields.insert(QStringLiteral("Affiliates/Affiliates_FORM"), QStringLiteral("Y"));
        QCOMPARE(problemLines(padXml(fields)),
            QStringList {
                QStringLiteral("warning: Program_Description: Program_Description is no PAD element; the format "
                               "names Program_Descriptions, so a site reads nothing from it")});
    }

    void failuresCountErrorsOrAllWhenStrict()
    {
        QMap<QString, QString> fields = validFields();
        fields.insert(
            QStringLiteral("Web_Info/Application_URLs/Application_Info_URL"), QStringLiteral("https://x.example/"));
        const QList<PadValidator::Problem> warningOnly = PadValidator::validate(PadDocument::parse(padXml(fields)));
        QCOMPARE(PadValidator::failures(warningOnly, false), 0);
        QCOMPARE(PadValidator::failures(warningOnly, true), 1);
        fields.insert(QStringLiteral("Program_Info/Program_Type"), QStringLiteral("Nagware"));
        const QList<PadValidator::Problem> both = PadValidator::validate(PadDocument::parse(padXml(fields)));
        QCOMPARE(PadValidator::failures(both, false), 1);
        QCOMPARE(PadValidator::failures(both, true), 2);
    }

    void otherRootIsOneError()
    {
        QCOMPARE(problemLines("<rss><channel/></rss>"),
            QStringList {QStringLiteral("error: rss: The root element is rss; a PAD file's root is XML_DIZ_INFO")});
    }

    void hostileFilesAreRefusedCleanly_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qint64>("sparseSize");
        QTest::addColumn<QString>("refusal"); // words of the refusal; empty: reading may succeed

        QByteArray laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE XML_DIZ_INFO [\n<!ENTITY a \"lolololololololololo\">\n";
        for (int level = 1; level <= 9; ++level) {
            laughs += "<!ENTITY " + QByteArray(1, char('a' + level)) + " \"";
            for (int i = 0; i < 10; ++i)
                laughs += "&" + QByteArray(1, char('a' + level - 1)) + ";";
            laughs += "\">\n";
        }
        laughs += "]>\n<XML_DIZ_INFO><Program_Info><Program_Name>&j;</Program_Name></Program_Info></XML_DIZ_INFO>\n";
        QTest::newRow("entity expansion") << laughs << qint64(0) << "";

        QByteArray deep = "<XML_DIZ_INFO>";
        for (int i = 0; i < 100000; ++i)
            deep += "<a>";
        for (int i = 0; i < 100000; ++i)
            deep += "</a>";
        deep += "</XML_DIZ_INFO>";
        QTest::newRow("deep nesting") << deep << qint64(0) << "nested more than";
        QTest::newRow("100 MB") << QByteArray("<XML_DIZ_INFO>") << qint64(100) * 1024 * 1024 << "too large";
    }

    void hostileFilesAreRefusedCleanly()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(qint64, sparseSize);
        QFETCH(QString, refusal);
        TestProgramDirectory dir;
        dir.writeFile(QStringLiteral("hostile.xml"), bytes);
        if (sparseSize > 0) {
            // Sparse: the size without the disk space.
            QFile file(dir.file(QStringLiteral("hostile.xml")));
            QVERIFY(file.resize(sparseSize));
        }
        try {
            const QList<PadValidator::Problem> problems
                = PadValidator::validateFile(dir.file(QStringLiteral("hostile.xml")));
            // A parser that refuses to expand reads the name as nothing
            // long: never the expansion.
            for (const PadValidator::Problem& problem : problems)
                QVERIFY(problem.value.size() < 1000);
            QVERIFY2(refusal.isEmpty(), "read although it should be refused");
        } catch (const QuilletError& error) {
            QVERIFY2(error.text().contains(refusal), qPrintable(error.text()));
            QVERIFY(!error.text().contains(QLatin1Char('\n')));
        }
    }
};

QTEST_GUILESS_MAIN(TestPadValidator)
#include "TestPadValidator.moc"
