#pragma once

#include <QLabel>
#include <QPointer>

class QAbstractItemView;
class SubmissionDatabase;

// A note in the site list's place while the Sites table holds no site at
// all (a first start): it says how to get sites. It covers the list's
// viewport and follows its size; a list that the site filter empties keeps
// its plain empty grid, and the note goes as soon as sites arrive.
class SiteListNote : public QLabel {
    Q_OBJECT
public:
    SiteListNote(SubmissionDatabase& dm, QAbstractItemView* view);

    // Shows the note when the list and the Sites table are empty, else hides it.
    void refresh();

    // The note's text, each sentence translated on its own.
    static QString noteText();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    SubmissionDatabase& m_dm;
    QPointer<QAbstractItemView> m_view;
};
