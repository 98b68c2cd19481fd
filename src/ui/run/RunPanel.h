#pragma once

#include <QDockWidget>

class QAction;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QToolButton;
class WindowTranslator;

// The dock beside the browser that walks the author through a run: where the
// run stands ("Site 12 of 340"), the site's name, rating and notes, the
// author's account on it with copy buttons, whether a form map exists, the
// offer after a form was posted, and the run's actions. It only shows what
// it is given and reports which action was chosen.
class RunPanel : public QDockWidget {
    Q_OBJECT
public:
    explicit RunPanel(QWidget* parent = nullptr);

    struct SiteView {
        QString position; // "Site 12 of 340"
        QString siteName;
        QString rating; // stars, or "na"
        QString notes;
        QString userName;
        QString password;
        QString formMap; // what the panel says about the form map
    };
    void showSite(const SiteView& view);
    // The offer after a post; an empty text takes it away.
    void showPosted(const QString& text);
    void showNote(const QString& text);

    // The actions, with their shortcuts (also reachable when the dock is closed).
    QAction* submittedAction() const { return m_submitted; }
    QAction* skipAction() const { return m_skip; }
    QAction* notApplicableAction() const { return m_notApplicable; }
    QAction* backAction() const { return m_back; }
    QAction* stopAction() const { return m_stop; }

    static const QStringList& translationPaths();
    WindowTranslator* language() const { return m_language; }

private:
    QAction* makeAction(const char* name, const QString& text, const QKeySequence& key);
    QToolButton* makeButton(QAction* action);

    QLabel* m_position = nullptr;
    QLabel* m_site = nullptr;
    QLabel* m_rating = nullptr;
    QPlainTextEdit* m_notes = nullptr;
    QLineEdit* m_userName = nullptr;
    QLineEdit* m_password = nullptr;
    QLabel* m_formMap = nullptr;
    QLabel* m_posted = nullptr;
    QLabel* m_note = nullptr;
    QAction* m_submitted = nullptr;
    QAction* m_skip = nullptr;
    QAction* m_notApplicable = nullptr;
    QAction* m_back = nullptr;
    QAction* m_stop = nullptr;
    WindowTranslator* m_language = nullptr;
};
