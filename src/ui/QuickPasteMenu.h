#pragma once

#include "Settings.h"

#include <QMenu>

#include <functional>

// The main window's Quick Paste menu: at most ten catalogue entries, oldest
// first, each shown with the data selector's caption of its row. It is the
// quick paste list the settings store loads and saves.
class QuickPasteMenu : public QMenu, public QuickPasteList {
    Q_OBJECT
public:
    using CaptionLookup = std::function<QString(int catalogueIndex)>;

    explicit QuickPasteMenu(QWidget* parent = nullptr);

    // Where item captions come from (the data selector's column 0).
    void setCaptionLookup(CaptionLookup lookup) { m_captionLookup = std::move(lookup); }

    // Appends an item for the entry, dropping the oldest when ten are present.
    void appendQuickPasteItem(int catalogueIndex) override;
    QVector<int> quickPasteItems() const override;
    // Every item takes its caption again (after a language switch).
    void refreshCaptions();

    // Adds the entry unless an item with the same caption (compared without
    // regard to case and to & markers) is present; true when it was added.
    bool addQuickPasteItem(int catalogueIndex);
    bool containsCaption(const QString& caption) const;

    int itemCount() const;
    QStringList captions() const;

    // Chooses item n (1-based), as Ctrl+n does; false when there is no item n.
    bool triggerItem(int n);

    // A caption with its & markers taken out ("&&" stands for one "&").
    static QString withoutAccelerators(const QString& caption);

Q_SIGNALS:
    void itemChosen(int catalogueIndex);

private:
    QList<QAction*> items() const;

    CaptionLookup m_captionLookup;
};
