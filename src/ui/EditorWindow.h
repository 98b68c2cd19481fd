#pragma once

#include "ConfigEditor.h"
#include "EditorState.h"
#include "PadImport.h"

#include <QDialog>

#include <array>
#include <functional>

class QAction;
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

    // The paths of the window texts a language file may translate.
    static const QStringList& translationPaths();

    // Chooses a file for a browse command; the default shows a file dialog.
    // Returns the chosen path or an empty text when cancelled.
    using FileChooser = std::function<QString(QWidget* parent, const QString& filter, const QString& folder)>;
    void setFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }

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

    EditorState m_state;
    ConfigEditor m_editor;
    std::array<QWidget*, EditorControl::Count> m_controls {};
    QTabWidget* m_pages = nullptr;
    QWidget* m_tabCompany = nullptr;
    WindowTranslator* m_language = nullptr;
    FileChooser m_chooseFile;
    bool m_showing = false;
    bool m_closed = false;
};
