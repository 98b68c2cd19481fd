#pragma once

#include "SiteEditState.h"

#include <QDialog>

class FindDialog;
class QAction;
class QMenuBar;
class QToolBar;
class SiteEditorGrid;
class SiteEditorModel;
class SubmissionDatabase;

// The maintainer's site editor: the Sites rows that pass the site filter as
// an editable grid under a record navigator, with "&Find" and "Find &Next"
// in its "&Edit" menu. It works on the data module's site cursor, so the row
// it is left on is the current site and the site selector shows each posted
// change at once. Its logic lives in SiteEditState; the window only shows
// the state and hands it the user's actions.
//
// Closing the window with typed changes pending asks whether to save them.
// The texts are English only; the window carries no translation component.
class SiteEditor : public QDialog {
    Q_OBJECT
public:
    // Raises QuilletError when the Sites table is not open.
    explicit SiteEditor(SubmissionDatabase& dm, QWidget* parent = nullptr);
    ~SiteEditor() override;

    SiteEditState& state() { return m_state; }
    FindDialog* findDialog() const { return m_find; }

    // The grid column the find dialog searches: the one with the cell focus.
    int searchColumn() const;

    // "&Find": posts, moves to the first row and opens the find dialog.
    void startFind();
    // "Find &Next": opens the find dialog again; the row and the search go on.
    void showFindDialog();
    // The find dialog's "Find Next".
    void findNext();

public Q_SLOTS:
    // Every way of closing (E&xit, Esc, the title bar) passes here: an open
    // cell editor's text is taken first, then pending changes are offered
    // for saving; answering Cancel, or a refused save, keeps the window open.
    void done(int result) override;

private:
    void buildMenus();
    void buildNavigator();
    void syncGridToState();
    void gridRowChanged(int row);
    void updateActions();
    // Takes the text of an open cell editor into the state.
    void commitCell();

    SiteEditState m_state;
    SiteEditorModel* m_model = nullptr;
    SiteEditorGrid* m_grid = nullptr;
    QMenuBar* m_menuBar = nullptr;
    QToolBar* m_navigator = nullptr;
    FindDialog* m_find = nullptr;
    bool m_syncing = false;

    QAction* m_first = nullptr;
    QAction* m_prior = nullptr;
    QAction* m_next = nullptr;
    QAction* m_last = nullptr;
    QAction* m_insert = nullptr;
    QAction* m_delete = nullptr;
    QAction* m_edit = nullptr;
    QAction* m_post = nullptr;
    QAction* m_cancel = nullptr;
    QAction* m_refresh = nullptr;
};
