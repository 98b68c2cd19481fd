#pragma once

#include "EditorState.h"

#include <QString>

class Settings;
class SubmissionDatabase;
class PropertyCatalogue;

// The commands of the company and program editor. They move values between
// the editor's state, the property catalogue, the settings store and the
// Programs table, and ask their questions through the message sink. Errors
// of the settings store and the tables are raised as QuilletError.
class ConfigEditor {
public:
    ConfigEditor(EditorState& state, Settings& config, PropertyCatalogue& properties, SubmissionDatabase& dm);

    EditorState& state() { return m_state; }
    Settings& config() { return m_config; }
    PropertyCatalogue& properties() { return m_properties; }
    SubmissionDatabase& dm() { return m_dm; }

    // Opening, after the window's texts are translated: the company list and
    // details, the program list, the site effects mark and "OS.txt". Both
    // change marks end cleared. The program controls are not loaded.
    void open();

    // Closing: asks to save the company and the program when they changed,
    // then writes the site effects mark back. An error ends the closing steps
    // and is reported; the function returns false then.
    bool close();

    void loadCompanyData();
    // Raises QuilletError, changing nothing, for a company name that holds
    // "]" or a line break (it could not be read back from companies.ini).
    void saveCompanyData();
    void loadProgramData();
    void saveProgramData(bool withName);
    void clearProgram();

    // The user changed the company box's text (picked or typed).
    void selectCompany(const QString& text);
    // The user picked a program in the name box.
    void selectProgram(const QString& text);
    // The user changed another control.
    void userChangedText(EditorControl::Id id, const QString& text);
    void userChangedLines(EditorControl::Id id, const QStringList& lines);
    void userChangedDate(EditorControl::Id id, const QDate& date);

    // "Save &company", "&Save program", "Save &all".
    void saveCompany();
    void saveProgram();
    void saveAll();

    // "&New Program" with the name the user entered; an empty name does nothing.
    void newProgram(const QString& name);
    // "&Delete Program": deletes the record of the name box's text; the
    // controls keep its values.
    void deleteProgram();

    // The distribution file the user picked: size, KB, MB, date and name.
    // A missing file is reported ("<path> does not exist.") and false returned.
    bool browseFile(const QString& path);

    // Checks a PAD file the user picked and remembers its folder in
    // LastPADPath. A missing file is reported and false returned.
    bool acceptPadFile(const QString& path);

    // "<path> does not exist." in the language in force.
    static QString doesNotExistMessage(const QString& path);

    // Stores the program controls under the name box's text (saveProgramData
    // with the name, then saveProgram). Refuses a program without a name.
    void storeProgram();

private:
    void loadText(EditorControl::Id id);
    void saveText(EditorControl::Id id);
    void loadProgramControl(EditorControl::Id id);
    void saveProgramControl(EditorControl::Id id);

    EditorState& m_state;
    Settings& m_config;
    PropertyCatalogue& m_properties;
    SubmissionDatabase& m_dm;
};
