#include "CompletingComboBox.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

class TestCompletingComboBox : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void completesFromTheFirstMatchingItem();
    void textTakesTheItemsCase();
    void unmatchedTextStaysAsTyped();
    void backspaceAndDeleteDoNotCompleteAgain();
    void nextTypedCharacterReplacesTheTail();
    void keysThatTypeNothingDoNotComplete();
    void emptyTextIsNotCompleted();
    void completionRaisesNoSignals();
    void switchedOffBehavesAsAPlainBox();
    void keysSentToTheEditFieldComplete();

private:
    CompletingComboBox* m_box = nullptr;
    QWidget* m_window = nullptr;

    QLineEdit* edit() const { return m_box->lineEdit(); }
    QString selected() const { return edit()->selectedText(); }
};

void TestCompletingComboBox::init()
{
    m_window = new QWidget;
    m_box = new CompletingComboBox(m_window);
    m_box->setObjectName("cboUrl");
    m_box->addItems({"alphabet", "Alpine", "beta", "http://www.example.org/submit", "http://www.example.org"});
    m_box->setTextCompletion(true);
    m_box->setCurrentIndex(-1);
    m_box->setEditText(QString());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    m_box->setFocus();
}

void TestCompletingComboBox::cleanup()
{
    delete m_window;
    m_window = nullptr;
    m_box = nullptr;
}

void TestCompletingComboBox::completesFromTheFirstMatchingItem()
{
    QVERIFY(m_box->isEditable());
    QTest::keyClicks(m_box, "a");
    QCOMPARE(m_box->currentText(), QString("alphabet"));
    QCOMPARE(selected(), QString("lphabet"));
    QTest::keyClicks(m_box, "l");
    QCOMPARE(m_box->currentText(), QString("alphabet"));
    QCOMPARE(selected(), QString("phabet"));
    QCOMPARE(edit()->selectionStart(), 2);
    QCOMPARE(m_box->currentIndex(), 0);
    // Only the first match counts: "alpi" is the first text only Alpine begins with.
    QTest::keyClicks(m_box, "pi");
    QCOMPARE(m_box->currentText(), QString("Alpine"));
    QCOMPARE(selected(), QString("ne"));
    QCOMPARE(m_box->currentIndex(), 1);
}

void TestCompletingComboBox::textTakesTheItemsCase()
{
    QTest::keyClicks(m_box, "ALP");
    QCOMPARE(m_box->currentText(), QString("alphabet"));
    QCOMPARE(selected(), QString("habet"));
    QTest::keyClicks(m_box, "I");
    QCOMPARE(m_box->currentText(), QString("Alpine"));
    // A complete match leaves nothing selected.
    QTest::keyClicks(m_box, "NE");
    QCOMPARE(m_box->currentText(), QString("Alpine"));
    QCOMPARE(selected(), QString());
    QCOMPARE(edit()->cursorPosition(), 6);
}

void TestCompletingComboBox::unmatchedTextStaysAsTyped()
{
    QTest::keyClicks(m_box, "gamma");
    QCOMPARE(m_box->currentText(), QString("gamma"));
    QCOMPARE(selected(), QString());
    QCOMPARE(edit()->cursorPosition(), 5);
    // Typed text is never added to the list.
    QTest::keyClick(m_box, Qt::Key_Return);
    QCOMPARE(m_box->count(), 5);
    QCOMPARE(m_box->findText("gamma"), -1);
}

void TestCompletingComboBox::backspaceAndDeleteDoNotCompleteAgain()
{
    QTest::keyClicks(m_box, "al");
    QCOMPARE(m_box->currentText(), QString("alphabet"));
    QTest::keyClick(m_box, Qt::Key_Backspace);
    QCOMPARE(m_box->currentText(), QString("al"));
    QCOMPARE(selected(), QString());
    QTest::keyClick(m_box, Qt::Key_Backspace);
    QCOMPARE(m_box->currentText(), QString("a"));
    // Typing the next letter completes again.
    QTest::keyClicks(m_box, "l");
    QCOMPARE(m_box->currentText(), QString("alphabet"));
    QCOMPARE(selected(), QString("phabet"));

    // Delete removes the selected tail just as well.
    QTest::keyClick(m_box, Qt::Key_Delete);
    QCOMPARE(m_box->currentText(), QString("al"));
    QCOMPARE(selected(), QString());

    // Releasing Shift alone leaves a shortened text alone too.
    QTest::keyClick(m_box, Qt::Key_Shift);
    QCOMPARE(m_box->currentText(), QString("al"));
}

void TestCompletingComboBox::nextTypedCharacterReplacesTheTail()
{
    QTest::keyClicks(m_box, "http://www.example.org");
    // The first item that begins with the text wins, even when a later one equals it.
    QCOMPARE(m_box->currentText(), QString("http://www.example.org/submit"));
    QCOMPARE(selected(), QString("/submit"));
    QTest::keyClicks(m_box, "/x");
    QCOMPARE(m_box->currentText(), QString("http://www.example.org/x"));
    QCOMPARE(selected(), QString());
}

void TestCompletingComboBox::keysThatTypeNothingDoNotComplete()
{
    // Text put into the field without a key (pasted, set by code) stays as it
    // is through keys that type nothing: Ctrl, arrows, Home and End.
    edit()->setText("be");
    QTest::keyClick(m_box, Qt::Key_Control);
    QTest::keyClick(edit(), Qt::Key_Right);
    QTest::keyClick(edit(), Qt::Key_Home);
    QTest::keyClick(edit(), Qt::Key_End);
    QCOMPARE(m_box->currentText(), QString("be"));
    QCOMPARE(m_box->currentIndex(), -1);

    // A selection made with them survives: Ctrl+A, then Backspace empties the field.
    edit()->setText("alphabet");
    QTest::keyClick(edit(), Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(selected(), QString("alphabet"));
    QTest::keyClick(edit(), Qt::Key_Backspace);
    QCOMPARE(m_box->currentText(), QString());

    // The next typed character completes as usual.
    edit()->setText("b");
    edit()->setCursorPosition(1);
    QTest::keyClicks(edit(), "e");
    QCOMPARE(m_box->currentText(), QString("beta"));
    QCOMPARE(selected(), QString("ta"));
}

void TestCompletingComboBox::emptyTextIsNotCompleted()
{
    QTest::keyClick(m_box, Qt::Key_Tab);
    QTest::keyClick(m_box, Qt::Key_Control);
    QCOMPARE(m_box->currentText(), QString());
    QCOMPARE(m_box->currentIndex(), -1);
}

void TestCompletingComboBox::completionRaisesNoSignals()
{
    QSignalSpy activated(m_box, &QComboBox::activated);
    QSignalSpy indexChanged(m_box, &QComboBox::currentIndexChanged);
    QSignalSpy edited(m_box, &QComboBox::editTextChanged);
    QTest::keyClicks(m_box, "b");
    QCOMPARE(m_box->currentText(), QString("beta"));
    QCOMPARE(activated.count(), 0);
    QCOMPARE(indexChanged.count(), 0);
    // The typed character itself is a change as usual; the completion adds none.
    QCOMPARE(edited.count(), 1);
    QCOMPARE(edited.first().first().toString(), QString("b"));
}

void TestCompletingComboBox::switchedOffBehavesAsAPlainBox()
{
    m_box->setTextCompletion(false);
    QVERIFY(!m_box->textCompletion());
    QTest::keyClicks(m_box, "al");
    QCOMPARE(m_box->currentText(), QString("al"));
    QCOMPARE(selected(), QString());
    QCOMPARE(m_box->currentIndex(), -1);
    // Qt's own inline completion is off as well.
    QVERIFY(!edit()->completer());

    // The property is reachable by name, as window descriptions set it.
    QVERIFY(m_box->setProperty("TextCompletion", true));
    QTest::keyClicks(m_box, "p");
    QCOMPARE(m_box->currentText(), QString("alphabet"));
}

void TestCompletingComboBox::keysSentToTheEditFieldComplete()
{
    QTest::keyClicks(edit(), "Al");
    QCOMPARE(m_box->currentText(), QString("alphabet"));
    QCOMPARE(selected(), QString("phabet"));
    QTest::keyClick(edit(), Qt::Key_Backspace);
    QCOMPARE(m_box->currentText(), QString("al"));

    // A box made editable again gets a new edit field, which completes as well.
    m_box->setEditable(false);
    m_box->setEditable(true);
    m_box->setEditText(QString());
    m_box->setFocus();
    QTest::keyClicks(m_box, "alp");
    QCOMPARE(m_box->currentText(), QString("alphabet"));
    QVERIFY(!edit()->completer());
}

QTEST_MAIN(TestCompletingComboBox)
#include "TestCompletingComboBox.moc"
