#include "PadFieldRules.h"

#include "MessageTranslation.h"
#include "MessageTranslator.h"
#include "PadPattern.h"

#include <algorithm>
#include <vector>

namespace {

using Kind = PadFieldRules::Kind;

struct RuleSource {
    const char* path;
    const char* pattern;
    bool required;
    Kind kind;
    const char* shape;
};

// The PAD 3.11 field list: paths, patterns (HTML entities decoded) and
// whether an empty value fails.
const RuleSource kRules[] = {
    {"MASTER_PAD_VERSION_INFO/MASTER_PAD_VERSION", R"pad(^\d.\d+\Z)pad", true, Kind::Version, ""},
    {"MASTER_PAD_VERSION_INFO/MASTER_PAD_EDITOR", R"pad(^[^<\x09]{0,100}\Z)pad", false, Kind::Text, ""},
    {"MASTER_PAD_VERSION_INFO/MASTER_PAD_INFO", R"pad(^[^<\x09]{0,1000}\Z)pad", false, Kind::Text, ""},
    {"Company_Info/Company_Name", R"pad(^[^<\x09]{2,40}\Z)pad", true, Kind::Text, ""},
    {"Company_Info/Address_1", R"pad(^[a-zA-Z0-9\xbc-\xff .\-,#\/\x27]{0,40}\Z)pad", false, Kind::Text, ""},
    {"Company_Info/Address_2", R"pad(^[a-zA-Z\xbc-\xff0-9 .\-,#\/\x27]{0,40}\Z)pad", false, Kind::Text, ""},
    {"Company_Info/City_Town", R"pad(^[a-zA-Z\xbc-\xff0-9 .\-,#\/\x27]{2,40}\Z)pad", true, Kind::Text, ""},
    {"Company_Info/State_Province", R"pad(^[a-zA-Z\xbc-\xff0-9 .\-,\/]{0,30}\Z)pad", false, Kind::Text, ""},
    {"Company_Info/Zip_Postal_Code", R"pad(^[^<\x09]{0,20}\Z)pad", false, Kind::Text, ""},
    {"Company_Info/Country", R"pad(^[a-z A-Z\xbc-\xff\x27-]{2,40}\Z)pad", true, Kind::Text, ""},
    {"Company_Info/Company_WebSite_URL", R"pad(^http:\/\/.{2,120}\Z)pad", true, Kind::Url, "http://…"},
    {"Company_Info/Contact_Info/Author_First_Name", R"pad(^[^<\x09]{2,30}\Z)pad", true, Kind::Text, ""},
    {"Company_Info/Contact_Info/Author_Last_Name", R"pad(^[^<\x09]{2,30}\Z)pad", true, Kind::Text, ""},
    {"Company_Info/Contact_Info/Author_Email", R"pad(^.{2,30}\@.{2,63}\..{2,20}\Z)pad", true, Kind::Email, ""},
    {"Company_Info/Contact_Info/Contact_First_Name", R"pad(^[^<\x09]{2,30}\Z)pad", true, Kind::Text, ""},
    {"Company_Info/Contact_Info/Contact_Last_Name", R"pad(^[^<\x09]{2,30}\Z)pad", true, Kind::Text, ""},
    {"Company_Info/Contact_Info/Contact_Email", R"pad(^.{2,30}\@.{2,63}\..{2,20}\Z)pad", true, Kind::Email, ""},
    {"Company_Info/Support_Info/Sales_Email", R"pad(^.{2,30}\@.{2,63}\..{2,20}\Z)pad", true, Kind::Email, ""},
    {"Company_Info/Support_Info/Support_Email", R"pad(^.{2,30}\@.{2,63}\..{2,20}\Z)pad", true, Kind::Email, ""},
    {"Company_Info/Support_Info/General_Email", R"pad(^.{2,30}\@.{2,63}\..{2,20}\Z)pad", true, Kind::Email, ""},
    {"Company_Info/Support_Info/Sales_Phone", R"pad(^\+{0,2}(([0-9#*()-\/_] *){7,40})?\Z)pad", false, Kind::Phone, ""},
    {"Company_Info/Support_Info/Support_Phone", R"pad(^\+{0,2}(([0-9#*()-\/_] *){7,40})?\Z)pad", false, Kind::Phone,
        ""},
    {"Company_Info/Support_Info/General_Phone", R"pad(^\+{0,2}(([0-9#*()-\/_] *){7,40})?\Z)pad", false, Kind::Phone,
        ""},
    {"Company_Info/Support_Info/Fax_Phone", R"pad(^\+{0,2}(([0-9#*()-\/_] *){7,40})?\Z)pad", false, Kind::Phone, ""},
    {"Program_Info/Program_Name", R"pad(^[^<\x09]{1,40}\Z)pad", true, Kind::Text, ""},
    {"Program_Info/Program_Version", R"pad(^[a-zA-Z0-9_.\-]{1,15}\Z)pad", true, Kind::Text, ""},
    {"Program_Info/Program_Release_Month", R"pad(^(0[1-9]|1[0-2])\Z)pad", true, Kind::Month, ""},
    {"Program_Info/Program_Release_Day", R"pad(^(0[1-9]|[12][0-9]|3[01])\Z)pad", true, Kind::Day, ""},
    {"Program_Info/Program_Release_Year", R"pad(^(19|20|21)[0-9]{2}\Z)pad", true, Kind::Year, ""},
    {"Program_Info/Program_Cost_Dollars", R"pad(^([0-9]+(\.[0-9]{2})?)?\Z)pad", false, Kind::Price, ""},
    {"Program_Info/Program_Cost_Other_Code",
        R"pad(^(AED|AFN|ALL|AMD|ANG|AOA|ARS|AUD|AWG|AZM|BAM|BBD|BDT|BGN|BHD|BIF|BMD|BND|BOB|BRL|BSD|BTN|BWP|BYR|BZD|CAD|CDF|CHF|CLP|CNY|COP|COU|CRC|CSD|CZK|CUP|CVE|CYP|DJF|DKK|DOP|DZD|EEK|EGP|ERN|ETB|EUR|FJD|FKP|GBP|GEL|GHC|GIP|GMD|GNF|GTQ|GYD|HKD|HNL|HRK|HTG|HUF|IDR|ILS|INR|IQD|IRR|ISK|JMD|JOD|JPY|KES|KGS|KHR|KMF|KPW|KRW|KWD|KYD|KZT|LAK|LBP|LKR|LRD|LSL|LTL|LVL|LYD|MAD|MDL|MGA|MKD|MMK|MNT|MOP|MRO|MTL|MUR|MVR|MWK|MXN|MYR|MZN|NAD|NGN|NIO|NOK|NPR|NZD|OMR|PAB|PEN|PGK|PHP|PKR|PLN|PYG|QAR|RON|RUB|RWF|SAR|SBD|SCR|SDD|SEK|SGD|SHP|SIT|SKK|SLL|SOS|SRD|STD|SYP|SZL|THB|TJS|TMM|TND|TOP|TRY|TTD|TWD|TZS|UAH|UGX|USD|UYU|UZS|VEB|VND|VUV|WST|XAF|XCD|XOF|XPF|YER|ZAR|ZMK|ZWD)?\Z)pad",
        false, Kind::Enum, ""},
    {"Program_Info/Program_Cost_Other", R"pad(^([0-9]+(\.[0-9]{2})?)?\Z)pad", false, Kind::Price, ""},
    {"Program_Info/Program_Type", R"pad(^(Shareware|Freeware|Adware|Demo|Commercial|Data Only)\Z)pad", true, Kind::Enum,
        ""},
    {"Program_Info/Program_Release_Status", R"pad(^(Major Update|Minor Update|New Release|Beta|Alpha|Media Only)\Z)pad",
        true, Kind::Enum, ""},
    {"Program_Info/Program_Install_Support",
        R"pad(^(Install and Uninstall|Install Only|No Install Support|Uninstall Only)\Z)pad", true, Kind::Enum, ""},
    {"Program_Info/Program_OS_Support",
        R"pad(^((Android|BlackBerry|Handheld\/Mobile Other|iPhone|iPod|iTouch|Java|Linux|Linux Console|Linux Gnome|Linux GPL|Linux Open Source|Mac OS X|Mac Other|MS-DOS|Netware|OpenVMS|Palm|Pocket PC|Symbian|Unix|Win2000|Win7 x32|Win7 x64|Win98|WinMobile|WinOther|WinServer|WinVista|WinVista x64|WinXP|Other|Not Applicable)[, ]*)+\Z)pad",
        true, Kind::OsList, ""},
    {"Program_Info/Program_Language",
        R"pad(^(Abkhazian|Afar|Afrikaans|Albanian|Amharic|Arabic|Armenian|Assamese|Aymara|Azerbaijani|Bashkir|Basque|Bengali|Bhutani|Bihari|Bislama|Breton|Bulgarian|Burmese|Byelorussian|Cambodian|Catalan|Chinese|ChineseSimplified|ChineseTraditional|Corsican|Croatian|Czech|Danish|Dutch|English|Esperanto|Estonian|Faeroese|Fiji|Finnish|French|Frisian|Gaelic|Galician|Georgian|German|Greek|Greenlandic|Guarani|Gujarati|Hausa|Hebrew|Hindi|Hungarian|Icelandic|Indonesian|Interlingua|Interlingue|Inupiak|Irish|Italian|Japanese|Javanese|Kannada|Kashmiri|Kazakh|Kinyarwanda|Kirghiz|Kirundi|Korean|Kurdish|Laothian|Latin|Latvian|Lingala|Lithuanian|Macedonian|Malagasy|Malay|Malayalam|Maltese|Maori|Marathi|Moldavian|Mongolian|Nauru|Nepali|Norwegian|Occitan|Oriya|Oromo|Other|Pashto|Persian|Polish|Portuguese|Punjabi|Quechua|Rhaeto-Romance|Romanian|Russian|Samoan|Sangro|Sanskrit|Serbian|Serbo-Croatian|Sesotho|Setswana|Shona|Sindhi|Singhalese|Siswati|Slovak|Slovenian|Somali|Spanish|Sudanese|Swahili|Swedish|Tagalog|Tajik|Tamil|Tatar|Telugu|Thai|Tibetan|Tigrinya|Tonga|Tsonga|Turkish|Turkmen|Twi|Ukrainian|Urdu|Uzbek|Vietnamese|Volapuk|Welsh|Wolof|Xhosa|Yiddish|Yoruba|Zulu|,)+\Z)pad", true,
        Kind::LanguageList, ""},
    {"Program_Info/File_Info/File_Size_Bytes", R"pad(^[0-9]{3,16}\Z)pad", true, Kind::Number, ""},
    {"Program_Info/File_Info/File_Size_K", R"pad(^[0-9.]{1,12}\Z)pad", true, Kind::Decimal, ""},
    {"Program_Info/File_Info/File_Size_MB", R"pad(^[0-9.]{1,8}\Z)pad", true, Kind::Decimal, ""},
    {"Program_Info/Expire_Info/Has_Expire_Info", R"pad(^[YyNn]\Z)pad", true, Kind::Enum, ""},
    {"Program_Info/Expire_Info/Expire_Count", R"pad(^[0-9]{0,15}\Z)pad", false, Kind::Number, ""},
    {"Program_Info/Expire_Info/Expire_Based_On", R"pad(^(Days|Uses|Either\/Or)?\Z)pad", false, Kind::Enum, ""},
    {"Program_Info/Expire_Info/Expire_Other_Info", R"pad(^[^<\x09]{0,100}\Z)pad", false, Kind::Text, ""},
    {"Program_Info/Expire_Info/Expire_Month", R"pad(^(0[1-9]|1[0-2])?\Z)pad", false, Kind::Month, ""},
    {"Program_Info/Expire_Info/Expire_Day", R"pad(^(0[1-9]|[12][0-9]|3[01])?\Z)pad", false, Kind::Day, ""},
    {"Program_Info/Expire_Info/Expire_Year", R"pad(^((19|20|21)[0-9]{2})?\Z)pad", false, Kind::Year, ""},
    {"Program_Info/Program_Change_Info", R"pad(^[^<\x09]{0,300}\Z)pad", false, Kind::Text, ""},
    {"Program_Info/Program_Category_Class",
        R"pad(^(Audio & Multimedia::Audio Encoders\/Decoders|Audio & Multimedia::Audio File Players|Audio & Multimedia::Audio File Recorders|Audio & Multimedia::CD Burners|Audio & Multimedia::CD Players|Audio & Multimedia::Multimedia Creation Tools|Audio & Multimedia::Music Composers|Audio & Multimedia::Other|Audio & Multimedia::Presentation Tools|Audio & Multimedia::Rippers & Converters|Audio & Multimedia::Speech|Audio & Multimedia::Video Tools|Business::Accounting & Finance|Business::Calculators & Converters|Business::Databases & Tools|Business::Helpdesk & Remote PC|Business::Inventory & Barcoding|Business::Investment Tools|Business::Math & Scientific Tools|Business::Office Suites & Tools|Business::Other|Business::PIMS & Calendars|Business::Project Management|Business::Vertical Market Apps|Communications::Chat & Instant Messaging|Communications::Dial Up & Connection Tools|Communications::E-Mail Clients|Communications::E-Mail List Management|Communications::Fax Tools|Communications::Newsgroup Clients|Communications::Other Comms Tools|Communications::Other E-Mail Tools|Communications::Pager Tools|Communications::Telephony|Communications::Web\/Video Cams|Desktop::Clocks & Alarms|Desktop::Cursors & Fonts|Desktop::Icons|Desktop::Other|Desktop::Screen Savers: Art|Desktop::Screen Savers: Cartoons|Desktop::Screen Savers: Nature|Desktop::Screen Savers: Other|Desktop::Screen Savers: People|Desktop::Screen Savers: Science|Desktop::Screen Savers: Seasonal|Desktop::Screen Savers: Vehicles|Desktop::Themes & Wallpaper|Development::Active X|Development::Basic, VB, VB DotNet|Development::C \/ C\+\+ \/ C\#|Development::Compilers & Interpreters|Development::Components & Libraries|Development::Debugging|Development::Delphi|Development::Help Tools|Development::Install & Setup|Development::Management & Distribution|Development::Other|Development::Source Editors|Education::Computer|Education::Dictionaries|Education::Geography|Education::Kids|Education::Languages|Education::Mathematics|Education::Other|Education::Reference Tools|Education::Science|Education::Teaching & Training Tools|Games & Entertainment::Action|Games & Entertainment::Adventure & Roleplay|Games & Entertainment::Arcade|Games & Entertainment::Board|Games & Entertainment::Card|Games & Entertainment::Casino & Gambling|Games & Entertainment::Kids|Games & Entertainment::Online Gaming|Games & Entertainment::Other|Games & Entertainment::Puzzle & Word Games|Games & Entertainment::Simulation|Games & Entertainment::Sports|Games & Entertainment::Strategy & War Games|Games & Entertainment::Tools & Editors|Graphic Apps::Animation Tools|Graphic Apps::CAD|Graphic Apps::Converters & Optimizers|Graphic Apps::Editors|Graphic Apps::Font Tools|Graphic Apps::Gallery & Cataloging Tools|Graphic Apps::Icon Tools|Graphic Apps::Other|Graphic Apps::Screen Capture|Graphic Apps::Viewers|Home & Hobby::Astrology\/Biorhythms\/Mystic|Home & Hobby::Astronomy|Home & Hobby::Cataloging|Home & Hobby::Food & Drink|Home & Hobby::Genealogy|Home & Hobby::Health & Nutrition|Home & Hobby::Other|Home & Hobby::Personal Finance|Home & Hobby::Personal Interest|Home & Hobby::Recreation|Home & Hobby::Religion|Network & Internet::Ad Blockers|Network & Internet::Browser Tools|Network & Internet::Browsers|Network & Internet::Download Managers|Network & Internet::File Sharing\/Peer to Peer|Network & Internet::FTP Clients|Network & Internet::Network Monitoring|Network & Internet::Other|Network & Internet::Remote Computing|Network & Internet::Search\/Lookup Tools|Network & Internet::Terminal & Telnet Clients|Network & Internet::Timers & Time Synch|Network & Internet::Trace & Ping Tools|Security & Privacy::Access Control|Security & Privacy::Anti-Spam & Anti-Spy Tools|Security & Privacy::Anti-Virus Tools|Security & Privacy::Covert Surveillance|Security & Privacy::Encryption Tools|Security & Privacy::Other|Security & Privacy::Password Managers|Servers::Firewall & Proxy Servers|Servers::FTP Servers|Servers::Mail Servers|Servers::News Servers|Servers::Other Server Applications|Servers::Telnet Servers|Servers::Web Servers|System Utilities::Automation Tools|System Utilities::Backup & Restore|System Utilities::Benchmarking|System Utilities::Clipboard Tools|System Utilities::File & Disk Management|System Utilities::File Compression|System Utilities::Launchers & Task Managers|System Utilities::Other|System Utilities::Printer|System Utilities::Registry Tools|System Utilities::Shell Tools|System Utilities::System Maintenance|System Utilities::Text\/Document Editors|Web Development::ASP & PHP|Web Development::E-Commerce|Web Development::Flash Tools|Web Development::HTML Tools|Web Development::Java & JavaScript|Web Development::Log Analysers|Web Development::Other|Web Development::Site Administration|Web Development::Wizards & Components|Web Development::XML\/CSS Tools)\Z)pad",
        true, Kind::Enum, ""},
    {"Program_Info/Program_Specific_Category",
        R"pad(^(Audio|Business|Development Tools|Education|Games|Graphics|Home\/Hobby|Internet|Miscellaneous|Screen Savers|Utilities)?\Z)pad",
        false, Kind::Enum, ""},
    {"Program_Info/Program_System_Requirements", R"pad(^[^<\x09]{0,100}\Z)pad", false, Kind::Text, ""},
    {"Program_Descriptions/English/Keywords", R"pad(^[^<\x09]{0,250}\Z)pad", false, Kind::Text, ""},
    {"Program_Descriptions/English/Char_Desc_45", R"pad(^[^<\x09\x0a\x0d]{0,45}\Z)pad", false, Kind::Text, ""},
    {"Program_Descriptions/English/Char_Desc_80", R"pad(^[^<\x09\x0a\x0d]{0,80}\Z)pad", false, Kind::Text, ""},
    {"Program_Descriptions/English/Char_Desc_250", R"pad(^[^<\x09\x0a\x0d]{0,250}\Z)pad", false, Kind::Text, ""},
    {"Program_Descriptions/English/Char_Desc_450", R"pad(^[^<\x09\x0a\x0d]{0,450}\Z)pad", false, Kind::Text, ""},
    {"Program_Descriptions/English/Char_Desc_2000", R"pad(^[^<]{0,2000}\Z)pad", false, Kind::Text, ""},
    {"Web_Info/Application_URLs/Application_Info_URL", R"pad(^http:\/\/.{2,120}\Z)pad", true, Kind::Url, "http://…"},
    {"Web_Info/Application_URLs/Application_Order_URL", R"pad(^((http|https):\/\/.{2,120})?\Z)pad", false, Kind::Url,
        "http://… | https://…"},
    {"Web_Info/Application_URLs/Application_Screenshot_URL", R"pad(^http:\/\/.{2,120}\.(gif|jpg|png)\Z)pad", true,
        Kind::Url, "http://….gif | .jpg | .png"},
    {"Web_Info/Application_URLs/Application_Icon_URL", R"pad(^http:\/\/.{2,120}\.(gif|jpg|png)\Z)pad", true, Kind::Url,
        "http://….gif | .jpg | .png"},
    {"Web_Info/Application_URLs/Application_XML_File_URL", R"pad(^http:\/\/.{2,120}\.(xml|cgi|php|asp)\Z)pad", true,
        Kind::Url, "http://….xml | .cgi | .php | .asp"},
    {"Web_Info/Download_URLs/Primary_Download_URL",
        R"pad(^(http|ftp):\/\/.{2,120}\.(air|apk|app|bin|com|exe|dmg|hqx|gz|gzip|jar|msi|rar|sea|sh|sis|sit|sitx|tar|taz|tgx|tgz|uu|z|zip)\Z)pad",
        true, Kind::Url, "http://… | ftp://… (.zip | .exe | .msi | .dmg | …)"},
    {"Web_Info/Download_URLs/Secondary_Download_URL",
        R"pad(^((http|ftp):\/\/.{2,120}\.(air|apk|app|bin|com|exe|dmg|hqx|gz|gzip|jar|msi|rar|sea|sh|sis|sit|sitx|tar|taz|tgx|tgz|uu|z|zip))?\Z)pad",
        false, Kind::Url, "http://… | ftp://… (.zip | .exe | .msi | .dmg | …)"},
    {"Web_Info/Download_URLs/Additional_Download_URL_1",
        R"pad(^((http|ftp):\/\/.{2,120}\.(air|apk|app|bin|com|exe|dmg|hqx|gz|gzip|jar|msi|rar|sea|sh|sis|sit|sitx|tar|taz|tgx|tgz|uu|z|zip))?\Z)pad",
        false, Kind::Url, "http://… | ftp://… (.zip | .exe | .msi | .dmg | …)"},
    {"Web_Info/Download_URLs/Additional_Download_URL_2",
        R"pad(^((http|ftp):\/\/.{2,120}\.(air|apk|app|bin|com|exe|dmg|hqx|gz|gzip|jar|msi|rar|sea|sh|sis|sit|sitx|tar|taz|tgx|tgz|uu|z|zip))?\Z)pad",
        false, Kind::Url, "http://… | ftp://… (.zip | .exe | .msi | .dmg | …)"},
    {"Permissions/Distribution_Permissions", R"pad(^[^<]{0,2000}\Z)pad", false, Kind::Text, ""},
    {"Permissions/EULA", R"pad(^[^<]{0,20000}\Z)pad", false, Kind::Text, ""},
};

// "(a|b\/c)" with its brackets and escapes removed: "a", "b/c".
QStringList alternatives(QString body)
{
    QStringList values;
    QString current;
    for (qsizetype i = 0; i < body.size(); ++i) {
        const QChar c = body.at(i);
        if (c == QLatin1Char('\\') && i + 1 < body.size()) {
            current += body.at(++i);
        } else if (c == QLatin1Char('|')) {
            values << current;
            current.clear();
        } else {
            current += c;
        }
    }
    values << current;
    return values;
}

void deriveDetails(PadFieldRules::Rule& rule)
{
    const QString& p = rule.pattern;
    switch (rule.kind) {
    case Kind::Text: {
        static const QRegularExpression text(QStringLiteral("^\\^(\\[.*\\])\\{(\\d+),(\\d+)\\}\\\\Z$"));
        const QRegularExpressionMatch m = text.match(p);
        if (m.hasMatch()) {
            rule.characterClass = PadPattern::compile(QStringLiteral("^") + m.captured(1) + QStringLiteral("$"));
            rule.least = m.captured(2).toInt();
            rule.most = m.captured(3).toInt();
        }
        break;
    }
    case Kind::Enum:
        if (p == QLatin1String("^[YyNn]\\Z")) {
            rule.values
                = QStringList {QStringLiteral("Y"), QStringLiteral("y"), QStringLiteral("N"), QStringLiteral("n")};
        } else {
            QString body = p.mid(2);
            body.chop(body.endsWith(QLatin1String(")?\\Z")) ? 4 : 3);
            rule.values = alternatives(body);
        }
        break;
    case Kind::OsList: {
        // ^((ids)[, ]*)+\Z
        QString body = p.mid(3);
        body.chop(QStringLiteral(")[, ]*)+\\Z").size());
        rule.values = alternatives(body);
        break;
    }
    case Kind::LanguageList: {
        // ^(ids|,)+\Z
        QString body = p.mid(2);
        body.chop(QStringLiteral(")+\\Z").size());
        rule.values = alternatives(body);
        rule.values.removeAll(QStringLiteral(","));
        break;
    }
    default:
        break;
    }
}

QString message(const char* text)
{
    return translateMsg(QString::fromUtf8(text)); // lng-keys: indirect
}

PadFieldRules::Finding error(const QString& text)
{
    return {PadFieldRules::Level::Error, text};
}

PadFieldRules::Finding warning(const QString& text)
{
    return {PadFieldRules::Level::Warning, text};
}

QString shownCharacter(const QString& character)
{
    const char32_t c = character.toUcs4().value(0);
    if (c < 0x20 || c == 0x7f)
        return QStringLiteral("U+%1").arg(QString::number(static_cast<uint>(c), 16).toUpper(), 4, QLatin1Char('0'));
    return QLatin1Char('"') + character + QLatin1Char('"');
}

// The items of a list value, split at commas (and semicolons, which no
// list allows), blanks around each removed, empty ones dropped.
QStringList listItems(const QString& value)
{
    QStringList items;
    for (const QString& item : value.split(QRegularExpression(QStringLiteral("[,;]")))) {
        const QString trimmed = item.trimmed();
        if (!trimmed.isEmpty())
            items << trimmed;
    }
    return items;
}

// The 3.11 system id nearest to a system's name: the same id written
// another way ("Windows XP" is WinXP), a Windows or Mac the list does not
// know as the family's catch-all, otherwise the nearest by spelling.
QString closestSystem(const QString& name, const QStringList& ids)
{
    const auto simplified = [](QString s) {
        s = s.toLower().remove(QLatin1Char(' '));
        s.replace(QLatin1String("windows"), QLatin1String("win"));
        s.replace(QLatin1String("macos"), QLatin1String("macosx"));
        return s;
    };
    const QString wanted = simplified(name);
    for (const QString& id : ids) {
        if (simplified(id) == wanted)
            return id;
    }
    if (wanted.startsWith(QLatin1String("win")) && ids.contains(QStringLiteral("WinOther")))
        return QStringLiteral("WinOther");
    if (wanted.startsWith(QLatin1String("mac")) && ids.contains(QStringLiteral("Mac OS X")))
        return QStringLiteral("Mac OS X");
    return PadFieldRules::closest(name, ids);
}

QList<PadFieldRules::Finding> unknownItems(const PadFieldRules::Rule& rule, const QString& value)
{
    QList<PadFieldRules::Finding> findings;
    for (const QString& item : listItems(value)) {
        if (rule.values.contains(item))
            continue;
        const QString nearest
            = rule.kind == Kind::OsList ? closestSystem(item, rule.values) : PadFieldRules::closest(item, rule.values);
        findings << warning(message(MESSAGE_NOOP("%1 names \"%2\", which the PAD 3.11 list lacks; the closest 3.11 id "
                                                 "is \"%3\""))
                                .arg(rule.name(), item, nearest));
    }
    return findings;
}

} // namespace

const QList<PadFieldRules::Rule>& PadFieldRules::rules()
{
    static const QList<Rule> all = [] {
        QList<Rule> list;
        for (const RuleSource& source : kRules) {
            Rule rule;
            rule.path = QString::fromLatin1(source.path);
            rule.pattern = QString::fromUtf8(source.pattern);
            rule.required = source.required;
            rule.kind = source.kind;
            rule.shape = QString::fromUtf8(source.shape);
            rule.expression = PadPattern::compile(rule.pattern);
            deriveDetails(rule);
            list << rule;
        }
        return list;
    }();
    return all;
}

const PadFieldRules::Rule* PadFieldRules::find(const QString& path)
{
    for (const Rule& rule : rules()) {
        if (rule.path == path)
            return &rule;
    }
    return nullptr;
}

int PadFieldRules::characterCount(const QString& value)
{
    return static_cast<int>(value.toUcs4().size());
}

int PadFieldRules::distance(const QString& a, const QString& b)
{
    std::vector<int> row(static_cast<size_t>(b.size()) + 1);
    for (size_t j = 0; j < row.size(); ++j)
        row[j] = static_cast<int>(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = static_cast<int>(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const auto at = static_cast<size_t>(j);
            const int above = row[at];
            const int cost = a.at(i - 1) == b.at(j - 1) ? 0 : 1;
            row[at] = std::min({above + 1, row[at - 1] + 1, diagonal + cost});
            diagonal = above;
        }
    }
    return row.back();
}

QString PadFieldRules::closest(const QString& text, const QStringList& list)
{
    const auto simplified = [](const QString& s) { return s.toLower().remove(QLatin1Char(' ')); };
    const QString a = simplified(text);
    QString best;
    int bestDistance = -1;
    for (const QString& candidate : list) {
        const int d = distance(a, simplified(candidate));
        if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            best = candidate;
        }
    }
    return best;
}

QList<PadFieldRules::Finding> PadFieldRules::check(const Rule& rule, const QString& value)
{
    const QString trimmed = value.trimmed();
    QList<Finding> findings = checkTrimmed(rule, trimmed);
    if (findings.isEmpty() && trimmed.size() != value.size() && !PadPattern::matches(rule.expression, value))
        findings = blankFindings(rule, value, trimmed);
    return findings;
}

QList<PadFieldRules::Finding> PadFieldRules::blankFindings(
    const Rule& rule, const QString& value, const QString& trimmed)
{
    qsizetype start = 0;
    while (start < value.size() && value.at(start).isSpace())
        ++start;
    const QString leading = value.left(start);
    const QString trailing = value.mid(start + trimmed.size());
    // A text's class decides for each character; any other field's pattern
    // is tried with the blanks of one end alone.
    const auto refused = [&](const QString& blanks, const QString& probe) {
        if (blanks.isEmpty())
            return false;
        if (rule.kind == Kind::Text && rule.characterClass.isValid())
            return std::any_of(blanks.cbegin(), blanks.cend(),
                [&](QChar c) { return !rule.characterClass.match(QString(c)).hasMatch(); });
        return !PadPattern::matches(rule.expression, probe);
    };
    const bool leadingRefused = refused(leading, leading + trimmed);
    const bool trailingRefused = refused(trailing, trimmed + trailing);
    const int count = characterCount(value);
    QList<Finding> findings;
    if (!leadingRefused && !trailingRefused && rule.kind == Kind::Text && rule.most >= 0 && count > rule.most) {
        findings << error(message(MESSAGE_NOOP("%1 has %2 characters, counting the blanks and line breaks at its "
                                               "ends; PAD allows %3"))
                              .arg(rule.name())
                              .arg(count)
                              .arg(rule.most));
    } else {
        if (leadingRefused || (!trailingRefused && !leading.isEmpty()))
            findings << error(message(MESSAGE_NOOP("%1 begins with a blank or line break, which PAD does not allow "
                                                   "here"))
                                  .arg(rule.name()));
        if (trailingRefused || (!leadingRefused && leading.isEmpty()))
            findings << error(message(MESSAGE_NOOP("%1 ends with a blank or line break, which PAD does not allow here"))
                                  .arg(rule.name()));
    }
    for (Finding& finding : findings)
        finding.aboutBlanks = true;
    return findings;
}

QList<PadFieldRules::Finding> PadFieldRules::checkTrimmed(const Rule& rule, const QString& value)
{
    const QString name = rule.name();
    if (PadPattern::matches(rule.expression, value)) {
        // A list may pass the pattern and still hold run-together ids.
        return {};
    }
    if (value.isEmpty())
        return {error(message(MESSAGE_NOOP("%1 is empty; PAD requires a value")).arg(name))};

    switch (rule.kind) {
    case Kind::Text: {
        const int count = characterCount(value);
        if (rule.most >= 0 && count > rule.most)
            return {error(
                message(MESSAGE_NOOP("%1 has %2 characters; PAD allows %3")).arg(name).arg(count).arg(rule.most))};
        if (count == 1 && rule.least > 1)
            return {
                error(message(MESSAGE_NOOP("%1 has 1 character; PAD asks for at least %2")).arg(name).arg(rule.least))};
        if (count < rule.least)
            return {error(message(MESSAGE_NOOP("%1 has %2 characters; PAD asks for at least %3"))
                              .arg(name)
                              .arg(count)
                              .arg(rule.least))};
        if (rule.characterClass.isValid()) {
            for (const uint c : value.toUcs4()) {
                const QString character = QString::fromUcs4(reinterpret_cast<const char32_t*>(&c), 1);
                if (!rule.characterClass.match(character).hasMatch())
                    return {error(message(MESSAGE_NOOP("%1 holds the character %2, which PAD does not allow here"))
                                      .arg(name, shownCharacter(character)))};
            }
        }
        break;
    }
    case Kind::Email:
        return {error(message(MESSAGE_NOOP("%1 is no e-mail address of the form name@host.domain")).arg(name))};
    case Kind::Enum:
        if (rule.values.size() <= 12)
            return {error(message(MESSAGE_NOOP("%1 is not one of the values PAD allows: %2"))
                              .arg(name, rule.values.join(QStringLiteral(", "))))};
        return {error(
            message(MESSAGE_NOOP("%1 is not one of the %2 values PAD allows")).arg(name).arg(rule.values.size()))};
    case Kind::OsList:
    case Kind::LanguageList: {
        QList<Finding> findings = unknownItems(rule, value);
        if (!findings.isEmpty())
            return findings;
        if (rule.kind == Kind::LanguageList && !value.contains(QLatin1Char(';')))
            return {warning(message(MESSAGE_NOOP("%1 separates its languages with blanks; PAD 3.11 joins them with "
                                                 "bare commas"))
                                .arg(name))};
        return {error(message(MESSAGE_NOOP("%1 is no list of PAD ids separated by commas")).arg(name))};
    }
    case Kind::Url: {
        if (value.startsWith(QLatin1String("https://"))) {
            const QString plain = QStringLiteral("http://") + value.mid(8);
            if (PadPattern::matches(rule.expression, plain))
                return {warning(message(MESSAGE_NOOP("%1 starts with https://; PAD 3.11 names http://")).arg(name))};
        }
        return {error(message(MESSAGE_NOOP("%1 is no address of the form %2")).arg(name, rule.shape))};
    }
    case Kind::Number:
        return {error(message(MESSAGE_NOOP("%1 is no whole number of the digits PAD allows")).arg(name))};
    case Kind::Decimal:
        return {
            error(message(MESSAGE_NOOP("%1 is no number of digits and points of the length PAD allows")).arg(name))};
    case Kind::Price:
        return {error(message(MESSAGE_NOOP("%1 is no price of the form 12 or 12.95")).arg(name))};
    case Kind::Month:
        return {error(message(MESSAGE_NOOP("%1 is no two-digit month from 01 to 12")).arg(name))};
    case Kind::Day:
        return {error(message(MESSAGE_NOOP("%1 is no two-digit day from 01 to 31")).arg(name))};
    case Kind::Year:
        return {error(message(MESSAGE_NOOP("%1 is no four-digit year from 1900 to 2199")).arg(name))};
    case Kind::Phone:
        return {
            error(message(MESSAGE_NOOP("%1 is no phone number: at most two +, then 7 to 40 digits or # * ( ) - / _"))
                      .arg(name))};
    case Kind::Version:
        return {error(message(MESSAGE_NOOP("%1 is no format version such as 3.11")).arg(name))};
    }
    return {error(message(MESSAGE_NOOP("%1 does not match the PAD pattern %2")).arg(name, rule.pattern))};
}
