#include "ConfigEditor.h"

#include "Helpers.h"
#include "MessageSink.h"
#include "MessageTranslator.h"
#include "QuilletError.h"
#include "TConfig.h"
#include "TDM1.h"
#include "TProperties.h"
#include "TextDecoding.h"
#include "UserDate.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

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
    return TranslateMsg(QStringLiteral("Program data has changed, save now?"));
}

} // namespace

ConfigEditor::ConfigEditor(EditorState& state, TConfig& config, TProperties& properties, TDM1& dm)
    : m_state(state)
    , m_config(config)
    , m_properties(properties)
    , m_dm(dm)
{ }

void ConfigEditor::FormCreate()
{
    QStringList companies;
    m_config.ListCompanies(companies);
    m_state.setItems(cbCompany, companies);
    LoadCompanyData();
    QStringList programs;
    m_dm.LoadPrograms(programs);
    m_state.setItems(cboProgramName, programs);
    m_state.CompanyChanged = false;
    m_state.ProgramChanged = false;
    m_state.SiteEffects = m_config.SiteEffects;

    QFile osList(m_config.programDirectory() + QStringLiteral("OS.txt"));
    if (osList.exists()) {
        if (!osList.open(QIODevice::ReadOnly))
            throw QuilletError(QStringLiteral("%1: %2").arg(osList.fileName(), osList.errorString()));
        m_state.setItems(cboOS, splitLines(decodeText(osList.readAll())));
    }
}

bool ConfigEditor::FormDestroy()
{
    try {
        if (m_state.CompanyChanged
            && MessageSink::current().askYesNo(TranslateMsg(QStringLiteral("Company data has changed, save now?"))))
            SaveCompanyData();
        if (m_state.ProgramChanged && MessageSink::current().askYesNo(programChangedQuestion()))
            storeProgram();
        m_config.SiteEffects = m_state.SiteEffects;
    } catch (const QuilletError& error) {
        MessageSink::current().showMessage(error.text());
        return false;
    }
    return true;
}

void ConfigEditor::loadText(Id id)
{
    m_state.setText(id, m_properties[info(id).catalogueIndex].GetValue(), Origin::Editor);
}

void ConfigEditor::saveText(Id id)
{
    m_properties[info(id).catalogueIndex].SetValue(m_state.text(id));
}

void ConfigEditor::LoadCompanyData()
{
    for (int id = cbCompany; id <= LastCompanyEdit; ++id)
        loadText(static_cast<Id>(id));
}

void ConfigEditor::SaveCompanyData()
{
    m_config.LastCompany = m_state.text(cbCompany);
    for (int id = cbCompany; id <= LastCompanyEdit; ++id)
        saveText(static_cast<Id>(id));
    m_state.CompanyChanged = false;
}

void ConfigEditor::loadProgramControl(Id id)
{
    const QString value = m_properties[info(id).catalogueIndex].GetValue();
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
    TProperty& property = m_properties[info(id).catalogueIndex];
    switch (kind(id)) {
    case Kind::Edit:
    case Kind::List:
        property.SetValue(m_state.text(id));
        break;
    case Kind::Memo:
        property.SetValue(EditorState::joinLines(m_state.lines(id)));
        break;
    case Kind::Date:
        property.SetValue(UserDate::toText(m_state.date(id)));
        break;
    }
}

void ConfigEditor::LoadProgramData()
{
    for (Id id : kProgramOrder)
        loadProgramControl(id);
}

void ConfigEditor::SaveProgramData(bool withName)
{
    for (Id id : kProgramOrder) {
        if (id != cboProgramName || withName)
            saveProgramControl(id);
    }
    m_state.ProgramChanged = false;
}

void ConfigEditor::ClearProgram()
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
            m_state.setDate(id, today, Origin::Editor);
            break;
        }
    }
}

void ConfigEditor::cbCompanyChange(const QString& text)
{
    m_state.setText(cbCompany, text, Origin::User);
    if (!text.isEmpty() && ListContains(text, m_state.items(cbCompany))) {
        m_config.LoadCompany(text);
        LoadCompanyData();
    } else {
        m_state.CompanyChanged = true;
    }
}

void ConfigEditor::cboProgramNameChange(const QString& text)
{
    // Unsaved edits belong to the program the controls show, which is the
    // name box's text before the change.
    if (m_state.ProgramChanged && MessageSink::current().askYesNo(programChangedQuestion()))
        storeProgram();
    m_state.setText(cboProgramName, text, Origin::User);
    m_dm.LoadProgram(text);
    LoadProgramData();
    m_state.ProgramChanged = false;
}

void ConfigEditor::userChangedText(Id id, const QString& text)
{
    if (id == cbCompany) {
        cbCompanyChange(text);
    } else if (id == cboProgramName) {
        cboProgramNameChange(text);
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

void ConfigEditor::Savecompany1Click()
{
    SaveCompanyData();
}

void ConfigEditor::storeProgram()
{
    const QString name = m_state.text(cboProgramName);
    if (name.isEmpty())
        throw QuilletError(TranslateMsg(
            QStringLiteral("The program has no name. Choose a program or create one with New Program first.")));
    SaveProgramData(true);
    try {
        m_dm.SaveProgram(name);
    } catch (const QuilletError&) {
        // Nothing reached the table: the edits stay unsaved.
        m_state.ProgramChanged = true;
        throw;
    }
}

void ConfigEditor::Saveprogram1Click()
{
    storeProgram();
}

void ConfigEditor::Saveall1Click()
{
    SaveCompanyData();
    storeProgram();
}

void ConfigEditor::NewProgram1Click(const QString& name)
{
    if (name.trimmed().isEmpty())
        return;
    m_dm.AddProgram(name);
    ClearProgram();
    m_state.setText(cboProgramName, name, Origin::Editor);
    m_state.appendItem(cboProgramName, name);
}

void ConfigEditor::DeleteProgram1Click()
{
    const QString name = m_state.text(cboProgramName);
    if (name.isEmpty())
        return;
    m_dm.DeleteProgram(name);
    m_state.removeItems(cboProgramName, name);
}

QString ConfigEditor::doesNotExistMessage(const QString& path)
{
    return path + QLatin1Char(' ') + TranslateMsg(QStringLiteral("does not exist."));
}

bool ConfigEditor::btnBrowseFileClick(const QString& path)
{
    const QFileInfo chosen(path);
    if (!chosen.exists() || chosen.isDir()) {
        MessageSink::current().showMessage(doesNotExistMessage(chosen.absoluteFilePath()));
        return false;
    }
    m_config.LastArcPath = chosen.absolutePath() + QLatin1Char('/');

    QFile file(chosen.absoluteFilePath());
    if (!file.open(QIODevice::ReadOnly))
        throw QuilletError(QStringLiteral("%1: %2").arg(chosen.absoluteFilePath(), file.errorString()));
    const qint64 size = file.size();
    if (size > std::numeric_limits<qint32>::max())
        throw QuilletError(TranslateMsg(QStringLiteral("%1 is larger than 2 GB; its size cannot be stored."))
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
    m_config.LastPADPath = chosen.absolutePath() + QLatin1Char('/');
    return true;
}
