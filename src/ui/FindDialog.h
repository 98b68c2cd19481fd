#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// A small modeless find dialog: the text to find, "Match case", the
// direction (down preselected) and "Find Next", which asks the window that
// owns the dialog to search. It searches nothing itself. "Cancel" and Esc
// hide it; it keeps its values for the next time it is shown.
class FindDialog : public QDialog {
    Q_OBJECT
public:
    explicit FindDialog(QWidget* parent = nullptr);

    QString findText() const;
    void setFindText(const QString& text);
    bool matchCase() const;
    bool searchesDown() const;

    // Shows the dialog in front with its text selected.
    void present();

Q_SIGNALS:
    // "Find Next" was pressed (or Enter typed) with a text to find.
    void findNext();

private:
    QLineEdit* m_text = nullptr;
    QCheckBox* m_matchCase = nullptr;
    QRadioButton* m_up = nullptr;
    QRadioButton* m_down = nullptr;
    QPushButton* m_findNext = nullptr;
};
