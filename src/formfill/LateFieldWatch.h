#pragma once

#include "FormFillContext.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class PageFormAdapter;
struct FormSnapshot;

// Fills, for a while after an auto fill, the controls that the page adds
// later (the second step of a form, a field shown after a choice). Every
// PollIntervalMs it asks the page for the candidate controls added since,
// works out their values as the fill does and applies them. It fills only
// controls that were not filled yet and never one the user has edited since
// the fill. It ends when its window is over or the page shows another document,
// and then deletes itself. It lives as a child of the adapter; the next fill
// replaces it.
class LateFieldWatch : public QObject {
    Q_OBJECT
public:
    static constexpr int PollIntervalMs = 100;

    // documentToken names the document the fill was applied to; the page's
    // side of the watch was started with that fill.
    LateFieldWatch(PageFormAdapter& adapter, FormFillContext context, QString documentToken, int windowMs);

    // The watch of adapter that has not finished, or nullptr.
    static LateFieldWatch* running(PageFormAdapter& adapter);

    void start();
    bool isFinished() const { return m_finished; }
    int filledCount() const { return m_filled; }         // late controls set (or found holding their value)
    int userEditedCount() const { return m_userEdited; } // late controls left alone because the user edited them

Q_SIGNALS:
    void finished();

private:
    void poll();
    void handle(const FormSnapshot& controls, bool watching, bool last);
    void next(bool watching, bool last);
    void finish();

    PageFormAdapter& m_adapter;
    FormFillContext m_context;
    QString m_token;
    int m_windowMs;
    QElapsedTimer m_clock;
    QTimer m_timer;
    bool m_finished = false;
    int m_filled = 0;
    int m_userEdited = 0;
};
