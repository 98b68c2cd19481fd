#include "ConfigEditor.h"

#include "Helpers.h"
#include "MessageSink.h"
#include "MessageTranslator.h"
#include "PropertyCatalogue.h"
#include "QuilletError.h"
#include "RegularFile.h"
#include "Settings.h"
#include "SubmissionDatabase.h"
#include "TextDecoding.h"
#include "UserDate.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <functional>
#include <limits>

using namespace EditorControl;
using Origin = EditorState::Origin;

namespace {

// The program controls in the order the program is loaded and saved.
const Id kProgramOrder[] = {cboProgramName, edtVersion, edtProgUrl, edtPurchaseUrl, edtKeywords, edtFileSize,
    edtFileSizeK, edtFileSizeMB, dteFile, edtPrice, edtFileName, cboLicense, cboOS, cboInstall, edtTrialPeriod,
    dteExpire, edtScreenUrl, edtIconUrl, edtDLUrl1, edtDLUrl2, edtDLUrl3, edtDLUrl4, edtPADUrl, edtPADPath, memSysReq,
    memLimitations, memRevNotes, memChanges, edtDesc45, edtDesc80, memDesc250, memDesc450, memDesc2000};

QString programChangedQuestion()
{
    return translateMsg(QStringLiteral("Program data has changed, save now?"));
}

QString companyChangedQuestion()
{
    return translateMsg(QStringLiteral("Company data has changed, save now?"));
}

// Asks question with Yes, No and Cancel: Yes runs save, No goes on without
// it, Cancel (also Esc and closing the box) returns false.
bool askToSave(const QString& question, const std::function<void()>& save)
{
    switch (MessageSink::current().askYesNoCancel(question)) {
    case MessageSink::Answer::Cancel:
        return false;
    case MessageSink::Answer::Yes:
        save();
        break;
    case MessageSink::Answer::No:
        break;
    }
    return true;
}

// The company's values without the name box, which comes first.
EditorState::Snapshot companyDetails(EditorState::Snapshot values)
{
    if (!values.isEmpty())
        values.removeFirst();
    return values;
}

} // namespace

ConfigEditor::ConfigEditor(EditorState& state, Settings& config, PropertyCatalogue& properties, SubmissionDatabase& dm)
    : m_state(state)
    , m_config(config)
    , m_properties(properties)
    , m_dm(dm)
{ }

void ConfigEditor::open()
{
    QStringList companies;
    m_config.listCompanies(companies);
    m_state.setItems(cbCompany, companies);
    loadCompanyData();
    QStringList programs;
    m_dm.loadPrograms(programs);
    m_state.setItems(cboProgramName, programs);
    // The program the main window shows, unless it has no record.
    const QString current = m_properties[PropertyCatalogue::ProgramName].getValue();
    if (!current.isEmpty() && listContains(current, programs))
        loadProgramData();
    markCompanyStored();
    markProgramStored();
    m_state.companyChanged = false;
    m_state.programChanged = false;
    m_state.siteEffects = m_config.siteEffects;

    const QString osListPath = m_config.programDirectory() + QStringLiteral("OS.txt");
    if (QFileInfo::exists(osListPath)) {
        QFile osList;
        RegularFile::openOrRaise(osList, osListPath);
        m_state.setItems(cboOS, splitLines(decodeText(osList.readAll())));
    }
}

bool ConfigEditor::close()
{
    try {
        if (!settleCompanyEdits() || !settleProgramEdits())
            return false;
        m_config.siteEffects = m_state.siteEffects;
    } catch (const QuilletError& error) {
        MessageSink::current().showMessage(error.text());
        return false;
    }
    return true;
}

bool ConfigEditor::companyDiffersFromStored(bool withName) const
{
    const EditorState::Snapshot now = m_state.snapshot(Group::Company);
    return withName ? now != m_storedCompany : companyDetails(now) != companyDetails(m_storedCompany);
}

bool ConfigEditor::programDiffersFromStored() const
{
    return m_state.snapshot(Group::Program) != m_storedProgram;
}

void ConfigEditor::markCompanyStored()
{
    m_storedCompany = m_state.snapshot(Group::Company);
}

void ConfigEditor::markProgramStored()
{
    m_storedProgram = m_state.snapshot(Group::Program);
}

bool ConfigEditor::settleCompanyEdits(bool withName)
{
    if (!m_state.companyChanged)
        return true;
    if (!companyDiffersFromStored(withName)) {
        m_state.companyChanged = false;
        return true;
    }
    return askToSave(companyChangedQuestion(), [this] { saveCompanyData(); });
}

bool ConfigEditor::settleProgramEdits()
{
    if (!m_state.programChanged)
        return true;
    if (!programDiffersFromStored()) {
        m_state.programChanged = false;
        return true;
    }
    return askToSave(programChangedQuestion(), [this] { storeProgram(); });
}

void ConfigEditor::loadText(Id id)
{
    m_state.setText(id, m_properties[info(id).catalogueIndex].getValue(), Origin::Editor);
}

void ConfigEditor::saveText(Id id)
{
    m_properties[info(id).catalogueIndex].setValue(m_state.text(id));
}

void ConfigEditor::loadCompanyData()
{
    for (int id = cbCompany; id <= LastCompanyEdit; ++id)
        loadText(static_cast<Id>(id));
}

void ConfigEditor::saveCompanyData()
{
    // The name becomes a section name of companies.ini: blanks at its ends
    // go, as reading would drop them, and a name that would read back as
    // another one is refused before anything changes.
    const QString name = m_state.text(cbCompany).trimmed();
    const QString problem = Settings::companyNameProblem(name);
    if (!problem.isEmpty())
        throw QuilletError(problem);
    if (name != m_state.text(cbCompany))
        m_state.setText(cbCompany, name, Origin::Editor);
    const QString previousCompany = m_config.lastCompany;
    QStringList previousValues;
    for (int id = cbCompany; id <= LastCompanyEdit; ++id)
        previousValues.append(m_properties[info(static_cast<Id>(id)).catalogueIndex].getValue());
    m_config.lastCompany = name;
    for (int id = cbCompany; id <= LastCompanyEdit; ++id)
        saveText(static_cast<Id>(id));
    // The company is stored at once, and listed from now on.
    try {
        m_config.saveCompany();
    } catch (const QuilletError&) {
        m_config.lastCompany = previousCompany;
        for (int id = cbCompany; id <= LastCompanyEdit; ++id)
            m_properties[info(static_cast<Id>(id)).catalogueIndex].setValue(previousValues.at(id - cbCompany));
        throw;
    }
    if (!listContains(name, m_state.items(cbCompany)))
        m_state.appendItem(cbCompany, name);
    m_state.companyChanged = false;
    markCompanyStored();
}

void ConfigEditor::loadProgramControl(Id id)
{
    const QString value = m_properties[info(id).catalogueIndex].getValue();
    switch (kind(id)) {
    case Kind::Edit:
    case Kind::List:
        m_state.setText(id, value, Origin::Editor);
        break;
    case Kind::Memo:
        m_state.setLines(id, EditorState::splitValue(value), Origin::Editor);
        break;
    case Kind::Date:
        // A stored date that is empty or not in the user's format shows as no date.
        m_state.setDate(id, UserDate::fromText(value), Origin::Editor);
        break;
    }
}

void ConfigEditor::saveProgramControl(Id id)
{
    CatalogueEntry& property = m_properties[info(id).catalogueIndex];
    switch (kind(id)) {
    case Kind::Edit:
    case Kind::List:
        property.setValue(m_state.text(id));
        break;
    case Kind::Memo:
        property.setValue(EditorState::joinLines(m_state.lines(id)));
        break;
    case Kind::Date:
        property.setValue(UserDate::toText(m_state.date(id)));
        break;
    }
}

void ConfigEditor::loadProgramData()
{
    for (Id id : kProgramOrder)
        loadProgramControl(id);
}

void ConfigEditor::saveProgramData(bool withName)
{
    for (Id id : kProgramOrder) {
        if (id != cboProgramName || withName)
            saveProgramControl(id);
    }
    m_state.programChanged = false;
}

void ConfigEditor::clearProgram(FileDate fileDate)
{
    const QDate today = QDate::currentDate();
    for (Id id : kProgramOrder) {
        switch (kind(id)) {
        case Kind::Edit:
            if (id != edtPADPath)
                m_state.setText(id, QString(), Origin::Editor);
            break;
        case Kind::List:
            m_state.setText(id, QString(), Origin::Editor);
            break;
        case Kind::Memo:
            m_state.setLines(id, QStringList(), Origin::Editor);
            break;
        case Kind::Date:
            m_state.setDate(id, id == dteFile && fileDate == FileDate::Today ? today : QDate(), Origin::Editor);
            break;
        }
    }
}

void ConfigEditor::selectCompany(const QString& text)
{
    if (!text.isEmpty() && listContains(text, m_state.items(cbCompany))) {
        // Edits of the details belong to the company shown before; a name
        // typed on the way to a listed one is no edit of its own.
        if (!settleCompanyEdits(false))
            return;
        m_state.setText(cbCompany, text, Origin::User);
        m_config.loadCompany(text);
        loadCompanyData();
        markCompanyStored();
        m_state.companyChanged = false;
    } else {
        m_state.setText(cbCompany, text, Origin::User);
        m_state.companyChanged = true;
    }
}

void ConfigEditor::selectProgram(const QString& text)
{
    // Unsaved edits belong to the program the controls show, which is the
    // name box's text before the change.
    if (!settleProgramEdits())
        return;
    m_state.setText(cboProgramName, text, Origin::User);
    m_dm.loadProgram(text);
    loadProgramData();
    markProgramStored();
    m_state.programChanged = false;
}

void ConfigEditor::userChangedText(Id id, const QString& text)
{
    if (id == cbCompany) {
        selectCompany(text);
    } else if (id == cboProgramName) {
        selectProgram(text);
    } else {
        m_state.setText(id, text, Origin::User);
    }
}

void ConfigEditor::userChangedLines(Id id, const QStringList& lines)
{
    m_state.setLines(id, lines, Origin::User);
}

void ConfigEditor::userChangedDate(Id id, const QDate& date)
{
    m_state.setDate(id, date, Origin::User);
}

void ConfigEditor::saveCompany()
{
    saveCompanyData();
}

void ConfigEditor::storeProgram()
{
    const QString name = m_state.text(cboProgramName);
    if (name.isEmpty())
        throw QuilletError(translateMsg(
            QStringLiteral("The program has no name. Choose a program or create one with New Program first.")));
    saveProgramData(true);
    try {
        m_dm.saveProgram(name);
    } catch (const QuilletError&) {
        // Nothing reached the table: the edits stay unsaved.
        m_state.programChanged = true;
        throw;
    }
    markProgramStored();
}

void ConfigEditor::saveProgram()
{
    storeProgram();
}

void ConfigEditor::saveAll()
{
    saveCompanyData();
    storeProgram();
}

void ConfigEditor::newProgram(const QString& name)
{
    if (name.trimmed().isEmpty())
        return;
    m_dm.addProgram(name);
    // The new record holds the name alone. The controls keep the PAD path
    // and offer today as the file date, so closing asks to store them.
    const QString padPath = m_state.text(edtPADPath);
    clearProgram(FileDate::None);
    m_state.setText(edtPADPath, QString(), Origin::Editor);
    m_state.setText(cboProgramName, name, Origin::Editor);
    m_state.appendItem(cboProgramName, name);
    markProgramStored();
    m_state.setText(edtPADPath, padPath, Origin::Editor);
    m_state.setDate(dteFile, QDate::currentDate(), Origin::Editor);
    m_state.programChanged = programDiffersFromStored();
}

void ConfigEditor::deleteProgram()
{
    const QString name = m_state.text(cboProgramName);
    if (name.isEmpty())
        return;
    m_dm.deleteProgram(name);
    m_state.removeItems(cboProgramName, name);
}

QString ConfigEditor::doesNotExistMessage(const QString& path)
{
    return path + QLatin1Char(' ') + translateMsg(QStringLiteral("does not exist."));
}

bool ConfigEditor::browseFile(const QString& path)
{
    const QFileInfo chosen(path);
    if (!chosen.exists() || chosen.isDir()) {
        MessageSink::current().showMessage(doesNotExistMessage(chosen.absoluteFilePath()));
        return false;
    }
    m_config.lastArcPath = chosen.absolutePath() + QLatin1Char('/');

    QFile file;
    RegularFile::openOrRaise(file, chosen.absoluteFilePath());
    const qint64 size = file.size();
    if (size > std::numeric_limits<qint32>::max())
        throw QuilletError(translateMsg(QStringLiteral("%1 is larger than 2 GB; its size cannot be stored."))
                               .arg(chosen.absoluteFilePath()));
    const auto bytes = static_cast<qint32>(size);
    m_state.setText(edtFileSize, QString::number(bytes), Origin::Editor);
    m_state.setText(edtFileSizeK, fileSizeKB(bytes), Origin::Editor);
    m_state.setText(edtFileSizeMB, fileSizeMB(bytes), Origin::Editor);
    m_state.setDate(dteFile, chosen.lastModified().date(), Origin::Editor);
    m_state.setText(edtFileName, chosen.fileName(), Origin::Editor);
    file.close();
    return true;
}

bool ConfigEditor::acceptPadFile(const QString& path)
{
    const QFileInfo chosen(path);
    if (!chosen.exists() || chosen.isDir()) {
        MessageSink::current().showMessage(doesNotExistMessage(chosen.absoluteFilePath()));
        return false;
    }
    m_config.lastPadPath = chosen.absolutePath() + QLatin1Char('/');
    return true;
}
