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
    // details, the program list, the program the catalogue holds (the main
    // window's program) when it is listed, the site effects mark and "OS.txt".
    // Both change marks end cleared.
    void open();

    // Closing: asks to save the company and the program when they hold edits
    // that differ from what is stored (Yes, No or Cancel), then writes the
    // site effects mark back. Returns false when the window must stay open:
    // the user cancelled a question (nothing more is done), or a save failed
    // (its error is reported and the later steps are skipped).
    bool close();

    // Whether the company (program) controls differ from what was last loaded
    // from or saved to storage. The company's comparison may leave the name
    // box out.
    bool companyDiffersFromStored(bool withName = true) const;
    bool programDiffersFromStored() const;
    // The controls now hold what is stored.
    void markCompanyStored();
    void markProgramStored();

    // Before the controls are replaced: when they hold edits that differ from
    // what is stored, asks "Company data has changed, save now?" ("Program
    // data ...") with Yes, No and Cancel and saves on Yes. Returns false when
    // the user cancelled; nothing has changed then. Edits that differ from
    // nothing stored are forgotten without a question. A failed save raises
    // QuilletError.
    bool settleCompanyEdits(bool withName = true);
    bool settleProgramEdits();

    void loadCompanyData();
    // The company controls into the catalogue and LastCompany, and at once
    // into the company's section of companies.ini; the name joins the
    // company list. Raises QuilletError, changing nothing, for a company name
    // that holds "]" or a line break (it could not be read back from
    // companies.ini), and when companies.ini cannot be written.
    void saveCompanyData();
    void loadProgramData();
    void saveProgramData(bool withName);
    // Empties the program and description controls but the PAD path; the
    // file date becomes today or no date, the expire date no date.
    enum class FileDate { Today, None };
    void clearProgram(FileDate fileDate = FileDate::Today);

    // The user changed the company box's text (picked or typed).
    void selectCompany(const QString& text);
    // The user picked a program in the name box. Unsaved edits of the
    // program shown are settled first; a cancelled question keeps it shown.
    void selectProgram(const QString& text);
    // The user changed another control.
    void userChangedText(EditorControl::Id id, const QString& text);
    void userChangedLines(EditorControl::Id id, const QStringList& lines);
    void userChangedDate(EditorControl::Id id, const QDate& date);

    // "Save &company", "&Save program", "Save &all".
    void saveCompany();
    void saveProgram();
    void saveAll();

    // "&New Program" with the name the user entered; an empty name does
    // nothing. The caller settles the edits of the program shown first
    // (settleProgramEdits). The new program shows today as its file date and
    // no expire date.
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
    EditorState::Snapshot m_storedCompany;
    EditorState::Snapshot m_storedProgram;
    Settings& m_config;
    PropertyCatalogue& m_properties;
    SubmissionDatabase& m_dm;
};
