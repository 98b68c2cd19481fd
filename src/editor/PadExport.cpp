#include "PadExport.h"

#include "MessageTranslator.h"
#include "PadImport.h"
#include "QuilletError.h"
#include "ReplacingFile.h"
#include "UserDate.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QXmlStreamWriter>

using namespace EditorControl;

namespace {

const char* const kLayout[] = {
    "MASTER_PAD_VERSION_INFO/MASTER_PAD_VERSION",
    "MASTER_PAD_VERSION_INFO/MASTER_PAD_EDITOR",
    "MASTER_PAD_VERSION_INFO/MASTER_PAD_INFO",
    "Company_Info/Company_Name",
    "Company_Info/Address_1",
    "Company_Info/Address_2",
    "Company_Info/City_Town",
    "Company_Info/State_Province",
    "Company_Info/Zip_Postal_Code",
    "Company_Info/Country",
    "Company_Info/Company_WebSite_URL",
    "Company_Info/Contact_Info/Author_First_Name",
    "Company_Info/Contact_Info/Author_Last_Name",
    "Company_Info/Contact_Info/Author_Email",
    "Company_Info/Contact_Info/Contact_First_Name",
    "Company_Info/Contact_Info/Contact_Last_Name",
    "Company_Info/Contact_Info/Contact_Email",
    "Company_Info/Support_Info/Sales_Email",
    "Company_Info/Support_Info/Support_Email",
    "Company_Info/Support_Info/General_Email",
    "Company_Info/Support_Info/Sales_Phone",
    "Company_Info/Support_Info/Support_Phone",
    "Company_Info/Support_Info/General_Phone",
    "Company_Info/Support_Info/Fax_Phone",
    "Program_Info/Program_Name",
    "Program_Info/Program_Version",
    "Program_Info/Program_Release_Month",
    "Program_Info/Program_Release_Day",
    "Program_Info/Program_Release_Year",
    "Program_Info/Program_Cost_Dollars",
    "Program_Info/Program_Cost_Other_Code",
    "Program_Info/Program_Cost_Other",
    "Program_Info/Program_Type",
    "Program_Info/Program_Release_Status",
    "Program_Info/Program_Install_Support",
    "Program_Info/Program_OS_Support",
    "Program_Info/Program_Language",
    "Program_Info/Program_Change_Info",
    "Program_Info/Program_Specific_Category",
    "Program_Info/Program_Category_Class",
    "Program_Info/Program_System_Requirements",
    "Program_Info/File_Info/Filename_Versioned",
    "Program_Info/File_Info/Filename_Previous",
    "Program_Info/File_Info/Filename_Generic",
    "Program_Info/File_Info/Filename_Long",
    "Program_Info/File_Info/File_Size_Bytes",
    "Program_Info/File_Info/File_Size_K",
    "Program_Info/File_Info/File_Size_MB",
    "Program_Info/Expire_Info/Has_Expire_Info",
    "Program_Info/Expire_Info/Expire_Count",
    "Program_Info/Expire_Info/Expire_Based_On",
    "Program_Info/Expire_Info/Expire_Other_Info",
    "Program_Info/Expire_Info/Expire_Month",
    "Program_Info/Expire_Info/Expire_Day",
    "Program_Info/Expire_Info/Expire_Year",
    "Program_Descriptions/English/Keywords",
    "Program_Descriptions/English/Char_Desc_45",
    "Program_Descriptions/English/Char_Desc_80",
    "Program_Descriptions/English/Char_Desc_250",
    "Program_Descriptions/English/Char_Desc_450",
    "Program_Descriptions/English/Char_Desc_2000",
    "Web_Info/Application_URLs/Application_Info_URL",
    "Web_Info/Application_URLs/Application_Order_URL",
    "Web_Info/Application_URLs/Application_Screenshot_URL",
    "Web_Info/Application_URLs/Application_Icon_URL",
    "Web_Info/Application_URLs/Application_XML_File_URL",
    "Web_Info/Download_URLs/Primary_Download_URL",
    "Web_Info/Download_URLs/Secondary_Download_URL",
    "Web_Info/Download_URLs/Additional_Download_URL_1",
    "Web_Info/Download_URLs/Additional_Download_URL_2",
    "Permissions/Distribution_Permissions",
    "Permissions/EULA",
};

bool inCompany(const QString& path)
{
    return path.startsWith(QLatin1String("Company_Info/"));
}

QString leaf(const QString& path)
{
    return path.section(QLatin1Char('/'), -1);
}

// The control a field is read into by the import, through its map or one
// of the elements it reads in a way of its own.
Id importedControl(const QString& path)
{
    const QString name = leaf(path);
    if (inCompany(path)) {
        const QString key = PadImport::companyTagName(name);
        if (key == QLatin1String("contact_last_name"))
            return edtContact;
        return PadImport::companyElements().value(key, Count);
    }
    const QString key = PadImport::programTagName(name);
    if (key == QLatin1String("Program_Release_Month") || key == QLatin1String("Program_Release_Day")
        || key == QLatin1String("Program_Release_Year"))
        return dteFile;
    if (key == QLatin1String("Expire_Month") || key == QLatin1String("Expire_Day")
        || key == QLatin1String("Expire_Year"))
        return dteExpire;
    if (key == QLatin1String("File_Size_Bytes"))
        return edtFileSize;
    return PadImport::programElements().value(key, Count);
}

// The text of the element at path below the root, each step's name matched
// in any letter case; nothing when there is none.
std::optional<QString> baseText(const PadDocument* base, const QString& path)
{
    if (!base)
        return std::nullopt;
    const PadDocument::Node* node = &base->root();
    for (const QString& step : path.split(QLatin1Char('/'))) {
        const PadDocument::Node* next = nullptr;
        for (const PadDocument::Node& child : node->children) {
            if (child.isElement && child.tagName.compare(step, Qt::CaseInsensitive) == 0) {
                next = &child;
                break;
            }
        }
        if (!next)
            return std::nullopt;
        node = next;
    }
    return node->text;
}

// A memo's lines joined with LF, without a break after the last.
QString memoText(const QString& value)
{
    return EditorState::splitValue(value).join(QLatin1Char('\n'));
}

class FieldValues {
public:
    FieldValues(const PadValues& values, const PadDocument* base)
        : m_values(values)
        , m_base(base)
    {
        const QString contact = entry(edtContact);
        const qsizetype blank = contact.lastIndexOf(QLatin1Char(' '));
        if (blank < 0) {
            m_contactFirst = contact;
        } else {
            m_contactFirst = contact.left(blank);
            m_contactLast = contact.mid(blank + 1);
        }
        m_released = UserDate::fromText(entry(dteFile));
        m_expires = UserDate::fromText(entry(dteExpire));
    }

    // The value of the field at path; nothing when the element is left out.
    std::optional<QString> valueOf(const QString& path) const
    {
        const QString name = leaf(path);
        if (name == QLatin1String("MASTER_PAD_VERSION"))
            return QStringLiteral("3.11");
        if (name == QLatin1String("MASTER_PAD_EDITOR"))
            return PadExport::editorName();
        if (name == QLatin1String("Contact_First_Name"))
            return m_contactFirst;
        if (name == QLatin1String("Contact_Last_Name")) {
            // A contact without a blank is a first name alone: no last-name
            // element, so that reading the file back adds no blank.
            if (entry(edtContact).contains(QLatin1Char(' ')))
                return m_contactLast;
            return std::nullopt;
        }
        if (name == QLatin1String("Author_First_Name"))
            return baseOr(path, m_contactFirst);
        if (name == QLatin1String("Author_Last_Name"))
            return baseOr(path, m_contactLast);
        if (name == QLatin1String("Author_Email"))
            return baseOr(path, entry(edtContactEMail));
        if (name == QLatin1String("Sales_Email") || name == QLatin1String("Support_Email"))
            return baseOr(path, entry(edtEMail));
        if (name == QLatin1String("Program_Release_Year"))
            return datePart(m_released, 'y');
        if (name == QLatin1String("Program_Release_Month"))
            return datePart(m_released, 'm');
        if (name == QLatin1String("Program_Release_Day"))
            return datePart(m_released, 'd');
        if (name == QLatin1String("Expire_Year"))
            return datePart(m_expires, 'y');
        if (name == QLatin1String("Expire_Month"))
            return datePart(m_expires, 'm');
        if (name == QLatin1String("Expire_Day"))
            return datePart(m_expires, 'd');
        if (name == QLatin1String("File_Size_Bytes"))
            return entry(edtFileSize);
        if (name == QLatin1String("File_Size_K") || name == QLatin1String("File_Size_MB"))
            return derivedSize(name == QLatin1String("File_Size_K"));
        if (name == QLatin1String("Has_Expire_Info"))
            return entry(edtTrialPeriod).trimmed().isEmpty() && !m_expires.isValid() ? QStringLiteral("N")
                                                                                     : QStringLiteral("Y");
        const Id id = importedControl(path);
        if (id != Count) {
            const QString value = entry(id);
            return kind(id) == Kind::Memo ? memoText(value) : value;
        }
        return baseText(m_base, path).value_or(QString());
    }

private:
    QString entry(Id id) const { return m_values.at(static_cast<size_t>(info(id).catalogueIndex)); }

    QString baseOr(const QString& path, const QString& fallback) const
    {
        const std::optional<QString> given = baseText(m_base, path);
        return given && !given->isEmpty() ? *given : fallback;
    }

    static QString datePart(const QDate& date, char part)
    {
        if (!date.isValid())
            return QString();
        switch (part) {
        case 'y':
            return QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0'));
        case 'm':
            return QStringLiteral("%1").arg(date.month(), 2, 10, QLatin1Char('0'));
        default:
            return QStringLiteral("%1").arg(date.day(), 2, 10, QLatin1Char('0'));
        }
    }

    // Sizes with a point, whatever the user's locale: the format allows
    // digits and points only.
    QString derivedSize(bool kilobytes) const
    {
        bool ok = false;
        const qlonglong bytes = entry(edtFileSize).trimmed().toLongLong(&ok);
        if (!ok || bytes < 0)
            return QString();
        if (kilobytes)
            return QString::number(bytes / 1024);
        return QString::number(static_cast<double>(bytes) / 1048576.0, 'f', 2);
    }

    const PadValues& m_values;
    const PadDocument* m_base;
    QString m_contactFirst;
    QString m_contactLast;
    QDate m_released;
    QDate m_expires;
};

// An element of the base file written again as it was read: its name, and
// its text when it has no child elements (extensions are lists of fields).
void writeCopy(QXmlStreamWriter& writer, const PadDocument::Node& node)
{
    if (!node.hasChildElements()) {
        writer.writeTextElement(node.tagName, node.text);
        return;
    }
    writer.writeStartElement(node.tagName);
    for (const PadDocument::Node& child : node.children) {
        if (child.isElement)
            writeCopy(writer, child);
    }
    writer.writeEndElement();
}

// The first-level elements of the base file that are no part of the
// format's own sections: extensions (Affiliates, ASP, a site's own block).
// A signature is not kept: it would not match the new content.
QList<const PadDocument::Node*> extensionsOf(const PadDocument* base)
{
    QList<const PadDocument::Node*> extensions;
    if (!base)
        return extensions;
    QStringList sections {QStringLiteral("Signature")};
    for (const QString& path : PadExport::layout())
        sections << path.section(QLatin1Char('/'), 0, 0);
    for (const PadDocument::Node& child : base->root().children) {
        if (child.isElement && !sections.contains(child.tagName, Qt::CaseInsensitive))
            extensions << &child;
    }
    return extensions;
}

bool isXmlCharacter(uint c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD)
        || (c >= 0x10000 && c <= 0x10FFFF);
}

} // namespace

QString PadExport::editorName()
{
    return QStringLiteral("Quillet %1").arg(QStringLiteral(QUILLET_VERSION));
}

PadValues PadExport::valuesOf(const PropertyCatalogue& properties)
{
    PadValues values;
    for (int i = 0; i < PropertyCatalogue::Count; ++i)
        values[static_cast<size_t>(i)] = properties[i].getValue();
    return values;
}

PadValues PadExport::valuesOf(const EditorState& state, const PropertyCatalogue& properties)
{
    PadValues values = valuesOf(properties);
    for (int i = 0; i < Count; ++i) {
        const Id id = static_cast<Id>(i);
        QString& value = values[static_cast<size_t>(info(id).catalogueIndex)];
        switch (kind(id)) {
        case Kind::Edit:
        case Kind::List:
            value = state.text(id);
            break;
        case Kind::Memo:
            value = EditorState::joinLines(state.lines(id));
            break;
        case Kind::Date:
            value = UserDate::toText(state.date(id));
            break;
        }
    }
    return values;
}

const QStringList& PadExport::layout()
{
    static const QStringList paths = [] {
        QStringList list;
        for (const char* path : kLayout)
            list << QString::fromLatin1(path);
        return list;
    }();
    return paths;
}

EditorControl::Id PadExport::controlOf(const QString& path)
{
    QString field = path;
    static const QString descriptions = QStringLiteral("Program_Descriptions/");
    if (field.startsWith(descriptions) && field.count(QLatin1Char('/')) == 2)
        field = descriptions + QStringLiteral("English/") + leaf(field);
    if (!layout().contains(field))
        return Count;
    if (leaf(field) == QLatin1String("File_Size_K") || leaf(field) == QLatin1String("File_Size_MB"))
        return edtFileSize;
    return importedControl(field);
}

std::optional<PadDocument> PadExport::baseOf(const PadValues& values)
{
    const QString path = values.at(PropertyCatalogue::PadPath).trimmed();
    if (path.isEmpty() || !QFileInfo::exists(path))
        return std::nullopt;
    try {
        return PadDocument::load(path);
    } catch (const QuilletError& error) {
        throw QuilletError(translateMsg(QStringLiteral("The program's PAD file %1, which gives the fields the editor "
                                                       "does not hold, cannot be read: %2 Empty the PAD path to write "
                                                       "without it."))
                               .arg(path, error.text()));
    }
}

QByteArray PadExport::document(const PadValues& values, const PadDocument* base)
{
    const FieldValues fields(values, base);
    QByteArray bytes;
    QXmlStreamWriter writer(&bytes);
    writer.setAutoFormatting(true);
    writer.setAutoFormattingIndent(2);
    writer.writeStartDocument();
    writer.writeStartElement(QStringLiteral("XML_DIZ_INFO"));
    QStringList open;
    for (const QString& path : layout()) {
        const std::optional<QString> value = fields.valueOf(path);
        QStringList sections = path.split(QLatin1Char('/'));
        const QString name = sections.takeLast();
        qsizetype shared = 0;
        while (shared < open.size() && shared < sections.size() && open.at(shared) == sections.at(shared))
            ++shared;
        while (open.size() > shared) {
            writer.writeEndElement();
            open.removeLast();
        }
        for (qsizetype i = shared; i < sections.size(); ++i) {
            writer.writeStartElement(sections.at(i));
            open << sections.at(i);
        }
        if (!value)
            continue;
        for (const uint c : value->toUcs4()) {
            if (!isXmlCharacter(c))
                throw QuilletError(
                    translateMsg(QStringLiteral("%1 holds the character U+%2, which a PAD file cannot "
                                                "carry. Remove it and write the file again."))
                        .arg(name, QString::number(c, 16).toUpper().rightJustified(4, QLatin1Char('0'))));
        }
        writer.writeTextElement(name, *value);
    }
    while (!open.isEmpty()) {
        writer.writeEndElement();
        open.removeLast();
    }
    for (const PadDocument::Node* extension : extensionsOf(base))
        writeCopy(writer, *extension);
    writer.writeEndElement();
    writer.writeEndDocument();
    return bytes;
}

QString PadExport::targetProblem(const QString& path)
{
    const QFileInfo target(path);
    const QString full = target.absoluteFilePath();
    if (path.trimmed().isEmpty())
        return translateMsg(QStringLiteral("No file was named for the PAD file."));
    if (target.isSymLink())
        return translateMsg(QStringLiteral("%1 is a symbolic link; a PAD file is written only as a file of its own."))
            .arg(full);
    if (target.isDir())
        return full + QLatin1Char(' ') + translateMsg(QStringLiteral("is a folder."));
    if (target.exists() && !target.isFile())
        return full + QLatin1Char(' ') + translateMsg(QStringLiteral("is not a regular file."));
    if (!QFileInfo(target.absolutePath()).isDir())
        return translateMsg(QStringLiteral("The folder %1 does not exist."))
            .arg(QDir::toNativeSeparators(target.absolutePath()));
    return QString();
}

void PadExport::writeFile(const QString& path, const QByteArray& bytes)
{
    const QString problem = targetProblem(path);
    if (!problem.isEmpty())
        throw QuilletError(problem);
    QString error;
    const QFileDevice::Permissions published
        = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    if (!ReplacingFile::replace(path, bytes, published, &error))
        throw QuilletError(translateMsg(QStringLiteral("Cannot write the PAD file %1: %2"))
                               .arg(QFileInfo(path).absoluteFilePath(), error));
}

void PadExport::exportTo(const QString& path, const PadValues& values)
{
    const QString problem = targetProblem(path);
    if (!problem.isEmpty())
        throw QuilletError(problem);
    const std::optional<PadDocument> base = baseOf(values);
    writeFile(path, document(values, base ? &*base : nullptr));
}
