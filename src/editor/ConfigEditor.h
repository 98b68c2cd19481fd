#pragma once

#include "EditorState.h"

#include <QString>

class TConfig;
class TDM1;
class TProperties;

// The commands of the company and program editor. They move values between
// the editor's state, the property catalogue, the settings store and the
// Programs table, and ask their questions through the message sink. Errors
// of the settings store and the tables are raised as QuilletError.
class ConfigEditor {
public:
    ConfigEditor(EditorState& state, TConfig& config, TProperties& properties, TDM1& dm);

    EditorState& state() { return m_state; }
    TConfig& config() { return m_config; }
    TProperties& properties() { return m_properties; }
    TDM1& dm() { return m_dm; }

    // Opening, after the window's texts are translated: the company list and
    // details, the program list, the site effects mark and "OS.txt". Both
    // change marks end cleared. The program controls are not loaded.
    void FormCreate();

    // Closing: asks to save the company and the program when they changed,
    // then writes the site effects mark back. An error ends the closing steps
    // and is reported; the function returns false then.
    bool FormDestroy();

    void LoadCompanyData();
    void SaveCompanyData();
    void LoadProgramData();
    void SaveProgramData(bool withName);
    void ClearProgram();

    // The user changed the company box's text (picked or typed).
    void cbCompanyChange(const QString& text);
    // The user picked a program in the name box.
    void cboProgramNameChange(const QString& text);
    // The user changed another control.
    void userChangedText(EditorControl::Id id, const QString& text);
    void userChangedLines(EditorControl::Id id, const QStringList& lines);
    void userChangedDate(EditorControl::Id id, const QDate& date);

    // "Save &company", "&Save program", "Save &all".
    void Savecompany1Click();
    void Saveprogram1Click();
    void Saveall1Click();

    // "&New Program" with the name the user entered; an empty name does nothing.
    void NewProgram1Click(const QString& name);
    // "&Delete Program": deletes the record of the name box's text; the
    // controls keep its values.
    void DeleteProgram1Click();

    // The distribution file the user picked: size, KB, MB, date and name.
    // A missing file is reported ("<path> does not exist.") and false returned.
    bool btnBrowseFileClick(const QString& path);

    // Checks a PAD file the user picked and remembers its folder in
    // LastPADPath. A missing file is reported and false returned.
    bool acceptPadFile(const QString& path);

    // "<path> does not exist." in the language in force.
    static QString doesNotExistMessage(const QString& path);

    // Stores the program controls under the name box's text (SaveProgramData
    // with the name, then SaveProgram). Refuses a program without a name.
    void storeProgram();

private:
    void loadText(EditorControl::Id id);
    void saveText(EditorControl::Id id);
    void loadProgramControl(EditorControl::Id id);
    void saveProgramControl(EditorControl::Id id);

    EditorState& m_state;
    TConfig& m_config;
    TProperties& m_properties;
    TDM1& m_dm;
};
