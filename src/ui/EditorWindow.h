#pragma once

#include "ConfigEditor.h"
#include "EditorState.h"
#include "PadImport.h"
#include "PadValidator.h"

#include <QDialog>

#include <array>
#include <functional>

class PadCheckDialog;
class QAction;
class QLabel;
class QTabWidget;
class QWidget;
class Settings;
class SubmissionDatabase;
class WindowTranslator;
class PropertyCatalogue;

// The company and program editor "Configuration": the company's details,
// the programs' details and descriptions, New and Delete Program, the
// distribution file's facts and the PAD import. Created for one opening,
// shown with exec() and deleted afterwards; closing asks to save unsaved
// company and program edits. The caller refreshes the data selector and the
// programs list afterwards.
class EditorWindow : public QDialog {
    Q_OBJECT

public:
    static constexpr int HelpContext = 40;

    EditorWindow(Settings& config, PropertyCatalogue& properties, SubmissionDatabase& dm, QWidget* parent = nullptr);
    ~EditorWindow() override;

    EditorState& state() { return m_state; }
    ConfigEditor& editor() { return m_editor; }
    WindowTranslator* language() const { return m_language; }
    // The control of an editor value, found by the control's objectName too.
    QWidget* control(EditorControl::Id id) const { return m_controls.at(static_cast<size_t>(id)); }

    // The menu commands.
    void saveCompany();
    void saveProgram();
    void saveAll();
    void importPad();
    void exitEditor();
    void newProgram();
    void deleteProgram();
    void showHelp();
    void browseFile();
    void browsePadFile();
    void refreshPadFile();
    // The import of one file in the mode of the active tab, with its errors shown.
    void loadPadFile(const QString& path);
    // "Export PAD file...": the company and the program shown (unsaved edits
    // included) written as a PAD file the user names.
    void exportPad();
    // The export to path, its errors shown; true when the file was written.
    bool exportPadFile(const QString& path);
    // "Check PAD file...": a PAD file the user picks, checked.
    void checkPadFile();
    void checkPadFileAt(const QString& path);
    // The "Check" button: the PAD file the export would write now, checked.
    void checkRecord();
    // The check's window, once a check ran.
    PadCheckDialog* padCheckDialog() const { return m_padCheck; }
    // Shows the control holding a field of the PAD format's list (its tab
    // made current) and gives it the keyboard; false for a field no
    // control holds.
    bool focusPadField(const QString& field);
    // The "38 / 45" counter beside a description box; nullptr for other controls.
    QLabel* padCounter(EditorControl::Id id) const;

    // The paths of the window texts a language file may translate.
    static const QStringList& translationPaths();

    // Chooses a file for a browse command; the default shows a file dialog.
    // Returns the chosen path or an empty text when cancelled.
    using FileChooser = std::function<QString(QWidget* parent, const QString& filter, const QString& folder)>;
    void setFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }
    // Chooses the file an export writes; the default shows a save dialog
    // that asks before replacing a file. Gets the suggested path.
    void setSaveFileChooser(FileChooser chooser) { m_chooseSaveFile = std::move(chooser); }

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWindow();
    QWidget* buildCompanyPage();
    QWidget* buildProgramPage();
    QWidget* buildDescriptionPage();
    QWidget* buildOptionsPage();
    void buildMenu();
    QWidget* createControl(EditorControl::Id id, QWidget* parent);
    void connectControl(EditorControl::Id id);
    void applyTranslation();

    // Shows the state's value of a control; the user's edits are not echoed back.
    void showValue(EditorControl::Id id);
    void showAll();
    // Runs a command; an error is shown and the controls show the state again.
    void run(const std::function<void()>& command);
    QString chooseFile(const QString& delphiFilter, const QString& folder);
    void closeEditor();
    void addPadCounter(EditorControl::Id id, QLabel* counter);
    void updatePadCounter(EditorControl::Id id);
    void showPadProblems(const QString& subject, const QList<PadValidator::Problem>& problems);

    EditorState m_state;
    ConfigEditor m_editor;
    std::array<QWidget*, EditorControl::Count> m_controls {};
    QTabWidget* m_pages = nullptr;
    QWidget* m_tabCompany = nullptr;
    WindowTranslator* m_language = nullptr;
    FileChooser m_chooseFile;
    FileChooser m_chooseSaveFile;
    PadCheckDialog* m_padCheck = nullptr;
    std::array<QLabel*, EditorControl::Count> m_padCounters {};
    std::array<int, EditorControl::Count> m_padLimits {};
    bool m_showing = false;
    bool m_closed = false;
};
