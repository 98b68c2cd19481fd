#include "PadImport.h"

#include "Helpers.h"
#include "MessageSink.h"
#include "MessageTranslator.h"
#include "PropertyCatalogue.h"
#include "SubmissionDatabase.h"

#include <QHash>

using namespace EditorControl;
using Origin = EditorState::Origin;

namespace {

const QHash<QString, Id>& companyTable()
{
    static const QHash<QString, Id> table {
        {QStringLiteral("company_name"), cbCompany},
        {QStringLiteral("address_1"), edtAddr1},
        {QStringLiteral("address_2"), edtAddr2},
        {QStringLiteral("city_town"), edtCity},
        {QStringLiteral("state_province"), edtState},
        {QStringLiteral("zip_postal_code"), edtPostal},
        {QStringLiteral("country"), edtCountry},
        {QStringLiteral("company_website_url"), edtWebSite},
        {QStringLiteral("contact_email"), edtContactEMail},
        {QStringLiteral("contact_first_name"), edtContact},
        {QStringLiteral("general_email"), edtEMail},
        {QStringLiteral("general_phone"), edtTelNo},
    };
    return table;
}

const QHash<QString, Id>& programTable()
{
    static const QHash<QString, Id> table {
        {QStringLiteral("Program_Name"), cboProgramName},
        {QStringLiteral("Program_Version"), edtVersion},
        {QStringLiteral("Program_Cost_Dollars"), edtPrice},
        {QStringLiteral("Program_Type"), cboLicense},
        {QStringLiteral("Program_Install_Support"), cboInstall},
        {QStringLiteral("Program_Os_Support"), cboOS},
        {QStringLiteral("Program_Change_Info"), memChanges},
        {QStringLiteral("Program_System_Requirements"), memSysReq},
        {QStringLiteral("Filename_Generic"), edtFileName},
        {QStringLiteral("Expire_Count"), edtTrialPeriod},
        {QStringLiteral("Keywords"), edtKeywords},
        {QStringLiteral("Char_Desc_45"), edtDesc45},
        {QStringLiteral("Char_Desc_80"), edtDesc80},
        {QStringLiteral("Char_Desc_250"), memDesc250},
        {QStringLiteral("Char_Desc_450"), memDesc450},
        {QStringLiteral("Char_Desc_2000"), memDesc2000},
        {QStringLiteral("Application_Info_Url"), edtProgUrl},
        {QStringLiteral("Application_Order_Url"), edtPurchaseUrl},
        {QStringLiteral("Application_Screenshot_Url"), edtScreenUrl},
        {QStringLiteral("Application_Icon_Url"), edtIconUrl},
        {QStringLiteral("Application_Xml_File_Url"), edtPADUrl},
        {QStringLiteral("Primary_Download_Url"), edtDLUrl1},
        {QStringLiteral("Secondary_Download_Url"), edtDLUrl2},
        {QStringLiteral("Additional_Download_Url_1"), edtDLUrl3},
        {QStringLiteral("Additional_Download_Url_2"), edtDLUrl4},
        {QStringLiteral("Trial_License_Type"), cboLicense},
    };
    return table;
}

// The block of English descriptions when the descriptions come in one block
// per language; nullptr for a single block, which is read whatever its language.
const PadDocument::Node* englishDescriptions(const PadDocument::Node& descriptions)
{
    const PadDocument::Node* english = nullptr;
    int blocks = 0;
    for (const PadDocument::Node& child : descriptions.children) {
        if (!child.isElement)
            continue;
        ++blocks;
        if (!english && PadImport::programTagName(child.tagName) == QLatin1String("English"))
            english = &child;
    }
    return blocks > 1 ? english : nullptr;
}

QString withoutLineBreaks(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

} // namespace

PadImport::PadImport(ConfigEditor& editor)
    : m_editor(editor)
    , m_state(editor.state())
{ }

QString PadImport::companyTagName(const QString& tagName)
{
    QString name = tagName;
    for (QChar& c : name) {
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    }
    return name;
}

QString PadImport::programTagName(const QString& tagName)
{
    return capitalizeWords(tagName);
}

PadImport::Result PadImport::loadPadFile(const QString& path, Mode mode)
{
    Result result;
    m_mode = mode;
    // The import replaces the controls of its mode: their unsaved edits are
    // saved or given up first, or the import does not start.
    try {
        const bool settled = mode == Mode::Company ? m_editor.settleCompanyEdits() : m_editor.settleProgramEdits();
        if (!settled) {
            result.cancelled = true;
            return result;
        }
    } catch (const QuilletError& error) {
        result.error = error.text();
        return result;
    }

    const EditorState::Values before = m_state.values();
    m_read.reset();
    m_readParts.clear();
    if (mode == Mode::Program)
        m_editor.clearProgram(ConfigEditor::FileDate::None);
    m_state.releaseYear.clear();
    m_state.releaseMonth.clear();
    m_state.releaseDay.clear();
    m_state.expireYear.clear();
    m_state.expireMonth.clear();
    m_state.expireDay.clear();

    try {
        const PadDocument document = PadDocument::load(path);
        readPadElement(document.root(), 0);
    } catch (const QuilletError& error) {
        result.error = error.text();
    }

    if (!result.error.isEmpty()) {
        // An import that stopped part way stores nothing and changes nothing:
        // the editor shows what it showed before, unsaved edits included.
        m_state.restore(before);
        return result;
    }
    // The company's values wait for the company's own save; the program
    // shown is not the import's business.
    if (mode == Mode::Company)
        return result;

    // Store what the editor now shows. A program without a name is not stored.
    const QString name = m_state.text(cboProgramName);
    if (name.isEmpty()) {
        m_state.restore(before);
        result.storeError = translateMsg(QStringLiteral("The PAD file names no program."));
        return result;
    }
    try {
        m_editor.saveProgramData(true);
        PropertyCatalogue& properties = m_editor.properties();
        m_editor.dm().saveProgram(properties[PropertyCatalogue::ProgramName].getValue());
        if (!m_state.items(cboProgramName).contains(name))
            m_state.appendItem(cboProgramName, name);
        m_editor.markProgramStored();
        result.programStored = true;
        result.programName = name;
    } catch (const QuilletError& error) {
        m_state.programChanged = true;
        result.storeError = error.text();
    }
    return result;
}

void PadImport::report(const Result& result)
{
    if (!result.error.isEmpty())
        MessageSink::current().showMessage(result.error);
    if (!result.storeError.isEmpty())
        MessageSink::current().showMessage(result.storeError);
}

void PadImport::readPadElement(const PadDocument::Node& node, int depth)
{
    if (m_mode == Mode::Company)
        readCompanyElement(node, depth);
    else
        readProgramElement(node, depth);
}

void PadImport::readCompanyElement(const PadDocument::Node& node, int depth)
{
    if (!node.isElement)
        return;
    applyCompanyElement(companyTagName(node.tagName), node.text);
    for (const PadDocument::Node& child : node.children)
        readCompanyElement(child, depth + 1);
}

void PadImport::readProgramElement(const PadDocument::Node& node, int depth)
{
    if (node.isElement) {
        const QString name = programTagName(node.tagName);
        applyProgramElement(name, node.text);
        const PadDocument::Node* english
            = name == QLatin1String("Program_Descriptions") ? englishDescriptions(node) : nullptr;
        for (const PadDocument::Node& child : node.children) {
            if (!english || !child.isElement || &child == english)
                readProgramElement(child, depth + 1);
        }
    }
    applyDates();
}

bool PadImport::keepsEarlierValue(Id id, const QString& text)
{
    if (text.isEmpty())
        return m_read.test(static_cast<size_t>(id));
    m_read.set(static_cast<size_t>(id));
    return false;
}

bool PadImport::keepsEarlierPart(const QString& name, const QString& text)
{
    if (text.isEmpty())
        return m_readParts.contains(name);
    m_readParts.insert(name);
    return false;
}

void PadImport::applyCompanyElement(const QString& name, const QString& text)
{
    if (name == QLatin1String("contact_last_name")) {
        // No last name adds nothing, not even the blank before it.
        if (text.isEmpty())
            return;
        m_read.set(static_cast<size_t>(edtContact));
        m_state.setText(edtContact, m_state.text(edtContact) + QLatin1Char(' ') + text, Origin::Editor);
        return;
    }
    const auto row = companyTable().constFind(name);
    if (row == companyTable().constEnd() || keepsEarlierValue(row.value(), text))
        return;
    // The company's name is a section name of companies.ini, which cannot
    // hold a line break: one becomes a blank.
    m_state.setText(row.value(), row.value() == cbCompany ? withoutLineBreaks(text) : text, Origin::Editor);
}

void PadImport::applyProgramElement(const QString& name, const QString& text)
{
    static const QHash<QString, QString EditorState::*> dateParts {
        {QStringLiteral("Program_Release_Month"), &EditorState::releaseMonth},
        {QStringLiteral("Program_Release_Day"), &EditorState::releaseDay},
        {QStringLiteral("Program_Release_Year"), &EditorState::releaseYear},
        {QStringLiteral("Expire_Month"), &EditorState::expireMonth},
        {QStringLiteral("Expire_Day"), &EditorState::expireDay},
        {QStringLiteral("Expire_Year"), &EditorState::expireYear},
    };
    if (const auto part = dateParts.constFind(name); part != dateParts.constEnd()) {
        if (!keepsEarlierPart(name, text))
            m_state.*(part.value()) = text;
    } else if (name == QLatin1String("File_Size_Bytes")) {
        if (keepsEarlierValue(edtFileSize, text))
            return;
        m_state.setText(edtFileSize, text, Origin::Editor);
        const QString digits = text.trimmed();
        if (digits.isEmpty()) {
            // A PAD file that leaves the size out gives no sizes.
            m_state.setText(edtFileSizeK, QString(), Origin::Editor);
            m_state.setText(edtFileSizeMB, QString(), Origin::Editor);
            return;
        }
        bool ok = false;
        const qint32 bytes = digits.toInt(&ok);
        if (!ok)
            throw ConversionError(QStringLiteral("'%1' is not a valid integer value").arg(text));
        m_state.setText(edtFileSizeK, fileSizeKB(bytes), Origin::Editor);
        m_state.setText(edtFileSizeMB, fileSizeMB(bytes), Origin::Editor);
    } else {
        const auto row = programTable().constFind(name);
        if (row == programTable().constEnd() || keepsEarlierValue(row.value(), text))
            return;
        if (kind(row.value()) == Kind::Memo)
            m_state.setLines(row.value(), EditorState::splitValue(text), Origin::Editor);
        else
            m_state.setText(row.value(), text, Origin::Editor);
    }
}

void PadImport::applyDates()
{
    if (!m_state.releaseYear.isEmpty() && !m_state.releaseMonth.isEmpty() && !m_state.releaseDay.isEmpty())
        m_state.setDate(dteFile,
            parseIsoDate(
                m_state.releaseYear + QLatin1Char('-') + m_state.releaseMonth + QLatin1Char('-') + m_state.releaseDay),
            Origin::Editor);
    if (!m_state.expireYear.isEmpty() && !m_state.expireMonth.isEmpty() && !m_state.expireDay.isEmpty())
        m_state.setDate(dteExpire,
            parseIsoDate(
                m_state.expireYear + QLatin1Char('-') + m_state.expireMonth + QLatin1Char('-') + m_state.expireDay),
            Origin::Editor);
}

const QHash<QString, Id>& PadImport::companyElements()
{
    return companyTable();
}

const QHash<QString, Id>& PadImport::programElements()
{
    return programTable();
}
