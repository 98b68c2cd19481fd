#include "EditorWindow.h"

#include "CompletingComboBox.h"
#include "FileDialogFilter.h"
#include "HelpWindow.h"
#include "MessageSink.h"
#include "MessageTranslation.h"
#include "MessageTranslator.h"
#include "PadCheckDialog.h"
#include "PadExport.h"
#include "PadFieldRules.h"
#include "PropertyCatalogue.h"
#include "QuilletError.h"
#include "Settings.h"
#include "TextDecoding.h"
#include "UiTranslation.h"
#include "UserDate.h"
#include "WindowTexts.h"
#include "WindowTranslator.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QDateEdit>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStyle>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QToolButton>
#include <QVBoxLayout>
#include <QValidator>

using namespace EditorControl;

namespace {

// The date a date picker shows for "no date": its minimum, drawn blank.
const QDate kNoDate(1752, 9, 14);

struct LabelInfo {
    Id control;
    const char* name;
    const char* caption;
};

const LabelInfo kLabels[] = {
    {cbCompany, "Label1", "Company:"},
    {edtEMail, "Label2", "Email:"},
    {edtWebSite, "Label3", "Website:"},
    {edtLinks, "Label44", "Links:"},
    {edtContact, "Label4", "Contact:"},
    {edtContactEMail, "Label5", "Contact Email:"},
    {edtTelNo, "Label6", "Telephone:"},
    {edtAddr1, "Label7", "Address1:"},
    {edtAddr2, "Label8", "Address2"},
    {edtCity, "Label9", "City:"},
    {edtState, "Label10", "State:"},
    {edtCountry, "Label38", "Country:"},
    {edtPostal, "Label39", "Postal:"},
    {cboProgramName, "Label11", "Program name:"},
    {edtVersion, "Label12", "Version:"},
    {edtFileSize, "Label13", "File size (bytes):"},
    {edtFileSizeK, "Label40", "File size (KB):"},
    {edtFileSizeMB, "Label41", "File size (MB):"},
    {edtTrialPeriod, "Label14", "Trial period (days):"},
    {cboLicense, "Label15", "License:"},
    {edtFileName, "Label43", "File name:"},
    {dteFile, "Label16", "File date:"},
    {dteExpire, "dteTrialEndDate", "Expire date:"},
    {edtPrice, "Label17", "Price:"},
    {cboInstall, "Label18", "Install:"},
    {cboOS, "Label19", "OS:"},
    {edtProgUrl, "Label20", "Program URL:"},
    {edtPurchaseUrl, "Label21", "Purchase URL:"},
    {edtDLUrl1, "Label22", "Download URL 1:"},
    {edtDLUrl2, "Label23", "Download URL 2:"},
    {edtDLUrl3, "Label24", "Download URL 3:"},
    {edtDLUrl4, "Label25", "Download URL 4:"},
    {edtScreenUrl, "Label26", "Screen Shot URL:"},
    {edtIconUrl, "Label27", "Icon URL:"},
    {edtPADUrl, "Label28", "PAD URL:"},
    {edtPADPath, "Label45", "PAD path:"},
    {edtKeywords, "Label29", "Keywords:"},
    {memSysReq, "Label30", "Requirements:"},
    {memLimitations, "Label31", "Limitations:"},
    {memRevNotes, "Label37", "Reviewer notes:"},
    {memChanges, "Label42", "Changes:"},
    {edtDesc45, "Label32", "45 character description:"},
    {edtDesc80, "Label33", "80 character description:"},
    {memDesc250, "Label34", "250 character description:"},
    {memDesc450, "Label35", "450 character description:"},
    {memDesc2000, "Label36", "2000 character description:"},
};

QLabel* makeLabel(Id id, QWidget* parent)
{
    for (const LabelInfo& label : kLabels) {
        if (label.control == id) {
            auto* widget = new QLabel(QString::fromLatin1(label.caption), parent);
            widget->setObjectName(QString::fromLatin1(label.name));
            return widget;
        }
    }
    return new QLabel(parent);
}

// The keyboard may not make the text longer than the limit; text the editor
// puts into the box itself, and shortening such text, are not refused.
class TypingLimitValidator : public QValidator {
public:
    TypingLimitValidator(QLineEdit* edit, int limit)
        : QValidator(edit)
        , m_limit(limit)
        , m_acceptedLength(static_cast<int>(edit->text().size()))
    {
        connect(edit, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_acceptedLength = static_cast<int>(text.size()); });
    }

    State validate(QString& input, int&) const override
    {
        return input.size() > m_limit && input.size() > m_acceptedLength ? Invalid : Acceptable;
    }

private:
    int m_limit;
    int m_acceptedLength;
};

QStringList comboItems(const QComboBox* box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

} // namespace

const QStringList& EditorWindow::translationPaths()
{
    static const QStringList paths = [] {
        QStringList list {QStringLiteral("frmConfig.Caption"), QStringLiteral("frmConfig.tabCompany.Caption")};
        for (int i = 1; i <= 10; ++i)
            list << QStringLiteral("frmConfig.Label%1.Caption").arg(i);
        list << QStringLiteral("frmConfig.Label38.Caption") << QStringLiteral("frmConfig.Label39.Caption")
             << QStringLiteral("frmConfig.tabProgram.Caption");
        for (int i = 11; i <= 22; ++i)
            list << QStringLiteral("frmConfig.Label%1.Caption").arg(i);
        list << QStringLiteral("frmConfig.dteTrialEndDate.Caption");
        for (int i = 23; i <= 31; ++i)
            list << QStringLiteral("frmConfig.Label%1.Caption").arg(i);
        list << QStringLiteral("frmConfig.Label37.Caption") << QStringLiteral("frmConfig.btnBrowseFile.Caption")
             << QStringLiteral("frmConfig.cboLicense.Items") << QStringLiteral("frmConfig.cboOS.Items")
             << QStringLiteral("frmConfig.cboInstall.Items") << QStringLiteral("frmConfig.tabDesc.Caption");
        for (int i = 32; i <= 36; ++i)
            list << QStringLiteral("frmConfig.Label%1.Caption").arg(i);
        list << QStringLiteral("frmConfig.tabOptions.Caption") << QStringLiteral("frmConfig.chkSiteEffects.Caption")
             << QStringLiteral("frmConfig.File1.Caption") << QStringLiteral("frmConfig.Savecompany1.Caption")
             << QStringLiteral("frmConfig.Saveprogram1.Caption") << QStringLiteral("frmConfig.ImportPAD1.Caption")
             << QStringLiteral("frmConfig.Exit1.Caption") << QStringLiteral("frmConfig.Program1.Caption")
             << QStringLiteral("frmConfig.NewProgram1.Caption") << QStringLiteral("frmConfig.DeleteProgram1.Caption")
             << QStringLiteral("frmConfig.Help1.Caption") << QStringLiteral("frmConfig.ConfiguringQuillet1.Caption")
             << QStringLiteral("frmConfig.ExportPAD1.Caption") << QStringLiteral("frmConfig.CheckPAD1.Caption")
             << QStringLiteral("frmConfig.btnCheckPAD.Caption") << QStringLiteral("frmConfig.btnCheckPAD.Hint");
        return list;
    }();
    return paths;
}

EditorWindow::EditorWindow(Settings& config, PropertyCatalogue& properties, SubmissionDatabase& dm, QWidget* parent)
    : QDialog(parent)
    , m_editor(m_state, config, properties, dm)
{
    setObjectName(QStringLiteral("frmConfig"));
    setWindowTitle(QStringLiteral("Configuration"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    buildWindow();
    showAll();
    m_state.setChangeListener([this](Id id) { showValue(id); });

    applyTranslation();
    run([this] { m_editor.open(); });
    showAll();
}

EditorWindow::~EditorWindow()
{
    m_state.setChangeListener(nullptr);
    closeEditor();
}

void EditorWindow::applyTranslation()
{
    m_language = createWindowLanguage(this, translationPaths());
    m_language->applyLanguage(m_editor.config());
    // The translated lists are the lists the editor starts from.
    for (Id id : {cboLicense, cboOS, cboInstall})
        m_state.setItems(id, comboItems(static_cast<QComboBox*>(control(id))));
}

void EditorWindow::buildWindow()
{
    auto* layout = new QVBoxLayout(this);
    buildMenu();
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    m_tabCompany = buildCompanyPage();
    m_pages->addTab(m_tabCompany, QStringLiteral("Company Details"));
    m_pages->addTab(buildProgramPage(), QStringLiteral("Program Details"));
    m_pages->addTab(buildDescriptionPage(), QStringLiteral("Program Descriptions"));
    const int options = m_pages->addTab(buildOptionsPage(), QStringLiteral("Quillet Options"));
    m_pages->setTabVisible(options, false);
    layout->addWidget(m_pages);

    for (int id = 0; id < Count; ++id)
        connectControl(static_cast<Id>(id));

    auto* help = new QShortcut(QKeySequence::HelpContents, this);
    connect(help, &QShortcut::activated, this, [this] { showHelp(); });
    resize(760, 620);
}

void EditorWindow::buildMenu()
{
    auto* bar = new QMenuBar(this);
    bar->setObjectName(QStringLiteral("MainMenu1"));
    layout()->setMenuBar(bar);
    const auto addItem = [this](QMenu* menu, const char* name, const QString& caption, void (EditorWindow::*slot)(),
                             const QKeySequence& shortcut = QKeySequence()) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(shortcut);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };

    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("File1"));
    addItem(file, "Savecompany1", QStringLiteral("Save &company"), &EditorWindow::saveCompany);
    addItem(file, "Saveprogram1", QStringLiteral("&Save program"), &EditorWindow::saveProgram);
    addItem(file, "Saveall1", QStringLiteral("Save &all"), &EditorWindow::saveAll);
    file->addSeparator();
    addItem(file, "ImportPAD1", QStringLiteral("Import &PAD"), &EditorWindow::importPad);
    addItem(file, "ExportPAD1", QStringLiteral("&Export PAD file..."), &EditorWindow::exportPad,
        QKeySequence(Qt::CTRL | Qt::Key_E));
    addItem(file, "CheckPAD1", QStringLiteral("C&heck PAD file..."), &EditorWindow::checkPadFile);
    file->addSeparator();
    addItem(file, "Exit1", QStringLiteral("E&xit"), &EditorWindow::exitEditor);

    QMenu* program = bar->addMenu(QStringLiteral("&Program"));
    program->setObjectName(QStringLiteral("Program1"));
    addItem(program, "NewProgram1", QStringLiteral("&New Program"), &EditorWindow::newProgram,
        QKeySequence(Qt::CTRL | Qt::Key_N));
    addItem(program, "DeleteProgram1", QStringLiteral("&Delete Program"), &EditorWindow::deleteProgram);

    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("Help1"));
    addItem(help, "ConfiguringQuillet1", QStringLiteral("Configuring Quillet"), &EditorWindow::showHelp);
}

QWidget* EditorWindow::createControl(Id id, QWidget* parent)
{
    QWidget* widget = nullptr;
    const Info& control = info(id);
    switch (control.kind) {
    case Kind::Edit: {
        auto* edit = new QLineEdit(parent);
        if (control.typingLimit > 0)
            edit->setValidator(new TypingLimitValidator(edit, control.typingLimit));
        if (id == edtFileSizeK || id == edtFileSizeMB)
            edit->setEnabled(false);
        widget = edit;
        break;
    }
    case Kind::List: {
        auto* box = new CompletingComboBox(parent);
        box->setEditable(true);
        box->setTextCompletion(false);
        box->setInsertPolicy(QComboBox::NoInsert);
        box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        // New names come from New Program: the name box is a pick list.
        if (id == cboProgramName)
            box->lineEdit()->setReadOnly(true);
        widget = box;
        break;
    }
    case Kind::Memo: {
        auto* memo = new QPlainTextEdit(parent);
        memo->setTabChangesFocus(true);
        if (id == memDesc2000)
            memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        widget = memo;
        break;
    }
    case Kind::Date: {
        auto* picker = new QDateEdit(parent);
        picker->setCalendarPopup(true);
        picker->setMinimumDate(kNoDate);
        picker->setSpecialValueText(translateMsg(QStringLiteral("none")));
        picker->setDisplayFormat(UserDate::shortFormat());
        // A picker that shows "none" opens its calendar on this month.
        picker->calendarWidget()->installEventFilter(this);
        // Delete or Backspace over the whole date sets it back to "none".
        picker->installEventFilter(this);
        widget = picker;
        break;
    }
    }
    widget->setObjectName(name(id));
    m_controls[static_cast<size_t>(id)] = widget;
    return widget;
}

QWidget* EditorWindow::buildCompanyPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tabCompany"));
    auto* form = new QFormLayout(page);
    for (int id = cbCompany; id <= LastCompanyEdit; ++id)
        form->addRow(makeLabel(static_cast<Id>(id), page), createControl(static_cast<Id>(id), page));
    return page;
}

QWidget* EditorWindow::buildProgramPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tabProgram"));
    auto* scroll = new QScrollArea(page);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* inner = new QWidget(scroll);
    auto* grid = new QGridLayout(inner);
    auto* left = new QFormLayout;
    auto* right = new QFormLayout;
    grid->addLayout(left, 0, 0);
    grid->addLayout(right, 0, 1);

    const auto addRow = [&](QFormLayout* form, Id id, const QList<QWidget*>& extra = {}) {
        QWidget* widget = createControl(id, inner);
        if (extra.isEmpty()) {
            form->addRow(makeLabel(id, inner), widget);
            return;
        }
        auto* row = new QHBoxLayout;
        row->setContentsMargins(0, 0, 0, 0);
        row->addWidget(widget, 1);
        for (QWidget* w : extra)
            row->addWidget(w);
        form->addRow(makeLabel(id, inner), row);
    };

    auto* browseFile = new QToolButton(inner);
    browseFile->setObjectName(QStringLiteral("btnBrowseFile"));
    browseFile->setText(QStringLiteral("..."));
    connect(browseFile, &QToolButton::clicked, this, &EditorWindow::browseFile);
    auto* browsePad = new QToolButton(inner);
    browsePad->setObjectName(QStringLiteral("btnBrowsePAD"));
    browsePad->setText(QStringLiteral("..."));
    connect(browsePad, &QToolButton::clicked, this, &EditorWindow::browsePadFile);
    auto* refreshPad = new QToolButton(inner);
    refreshPad->setObjectName(QStringLiteral("btnRefreshPAD"));
    refreshPad->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    refreshPad->setToolTip(QStringLiteral("Update program from PAD file"));
    connect(refreshPad, &QToolButton::clicked, this, &EditorWindow::refreshPadFile);
    auto* checkPad = new QToolButton(inner);
    checkPad->setObjectName(QStringLiteral("btnCheckPAD"));
    checkPad->setText(QStringLiteral("Check"));
    checkPad->setToolTip(QStringLiteral("Check the PAD file the export would write now"));
    connect(checkPad, &QToolButton::clicked, this, &EditorWindow::checkRecord);

    addRow(left, cboProgramName);
    addRow(left, edtVersion);
    addRow(left, edtFileSize, {browseFile});
    addRow(left, edtFileSizeK);
    addRow(left, edtFileSizeMB);
    addRow(left, edtTrialPeriod);
    addRow(left, cboLicense);
    addRow(left, edtFileName);
    addRow(left, dteFile);
    addRow(left, dteExpire);
    addRow(left, edtPrice);
    addRow(left, cboInstall);
    addRow(left, cboOS);
    addRow(right, edtProgUrl);
    addRow(right, edtPurchaseUrl);
    addRow(right, edtDLUrl1);
    addRow(right, edtDLUrl2);
    addRow(right, edtDLUrl3);
    addRow(right, edtDLUrl4);
    addRow(right, edtScreenUrl);
    addRow(right, edtIconUrl);
    addRow(right, edtPADUrl);
    addRow(right, edtPADPath, {browsePad, refreshPad, checkPad});
    addRow(right, edtKeywords);

    auto* memos = new QGridLayout;
    int column = 0;
    for (Id id : {memSysReq, memLimitations, memRevNotes, memChanges}) {
        memos->addWidget(makeLabel(id, inner), 0, column);
        memos->addWidget(createControl(id, inner), 1, column);
        ++column;
    }
    grid->addLayout(memos, 1, 0, 1, 2);

    // Tab order: the controls in order, each browse button after its box.
    QWidget* previous = nullptr;
    const auto chain = [&previous](QWidget* next) {
        if (previous)
            QWidget::setTabOrder(previous, next);
        previous = next;
    };
    for (int id = FirstProgramControl; id <= memChanges; ++id) {
        chain(control(static_cast<Id>(id)));
        if (id == edtFileSize)
            chain(browseFile);
        if (id == edtPADPath) {
            chain(browsePad);
            chain(refreshPad);
            chain(checkPad);
        }
    }

    scroll->setWidget(inner);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);
    return page;
}

QWidget* EditorWindow::buildDescriptionPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tabDesc"));
    auto* layout = new QVBoxLayout(page);
    for (int id = edtDesc45; id <= memDesc2000; ++id) {
        auto* heading = new QHBoxLayout;
        heading->addWidget(makeLabel(static_cast<Id>(id), page));
        heading->addStretch(1);
        auto* counter = new QLabel(page);
        counter->setObjectName(QStringLiteral("lbl%1Count").arg(name(static_cast<Id>(id)).mid(3)));
        WindowTexts::keepCodeText(counter); // "38 / 45": figures only
        heading->addWidget(counter);
        layout->addLayout(heading);
        QWidget* widget = createControl(static_cast<Id>(id), page);
        layout->addWidget(widget, kind(static_cast<Id>(id)) == Kind::Memo ? id - edtDesc80 : 0);
        addPadCounter(static_cast<Id>(id), counter);
    }
    return page;
}

QWidget* EditorWindow::buildOptionsPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tabOptions"));
    auto* layout = new QVBoxLayout(page);
    auto* siteEffects = new QCheckBox(QStringLiteral("Site Effects"), page);
    siteEffects->setObjectName(QStringLiteral("chkSiteEffects"));
    connect(siteEffects, &QCheckBox::toggled, this, [this](bool on) { m_state.siteEffects = on; });
    layout->addWidget(siteEffects);
    layout->addStretch();
    return page;
}

void EditorWindow::addPadCounter(Id id, QLabel* counter)
{
    // The box's limit is its PAD field's: the field the export writes it to.
    for (const QString& path : PadExport::layout()) {
        if (PadExport::controlOf(path) != id)
            continue;
        if (const PadFieldRules::Rule* rule = PadFieldRules::find(path))
            m_padLimits[static_cast<size_t>(id)] = rule->most;
    }
    if (m_padLimits[static_cast<size_t>(id)] <= 0) {
        counter->hide();
        return;
    }
    m_padCounters[static_cast<size_t>(id)] = counter;
    QWidget* box = control(id);
    if (auto* edit = qobject_cast<QLineEdit*>(box))
        connect(edit, &QLineEdit::textChanged, this, [this, id] { updatePadCounter(id); });
    else if (auto* memo = qobject_cast<QPlainTextEdit*>(box))
        connect(memo, &QPlainTextEdit::textChanged, this, [this, id] { updatePadCounter(id); });
    updatePadCounter(id);
}

void EditorWindow::updatePadCounter(Id id)
{
    QLabel* counter = padCounter(id);
    if (!counter)
        return;
    QWidget* box = control(id);
    QString text;
    if (auto* edit = qobject_cast<QLineEdit*>(box))
        text = edit->text();
    else if (auto* memo = qobject_cast<QPlainTextEdit*>(box))
        text = splitLines(memo->toPlainText()).join(QLatin1Char('\n'));
    const int limit = m_padLimits[static_cast<size_t>(id)];
    const int count = PadFieldRules::characterCount(text);
    const bool over = count > limit;
    counter->setText(QStringLiteral("%1 / %2").arg(count).arg(limit));
    if (box->property("padOverLimit").toBool() == over)
        return;
    box->setProperty("padOverLimit", over);
    // Marked, never refused: the author shortens the text when it suits.
    counter->setStyleSheet(over ? QStringLiteral("color: #b00020; font-weight: bold;") : QString());
    QPalette palette = box->parentWidget()->palette();
    if (over)
        palette.setColor(QPalette::Base, QColor(0xff, 0xe4, 0xe4));
    box->setPalette(palette);
    counter->setToolTip(over
            ? translateMsg(QStringLiteral("Longer than the %1 characters a PAD file allows here.")).arg(limit)
            : QString());
}

QLabel* EditorWindow::padCounter(Id id) const
{
    return m_padCounters.at(static_cast<size_t>(id));
}

void EditorWindow::connectControl(Id id)
{
    QWidget* widget = control(id);
    switch (kind(id)) {
    case Kind::Edit:
        connect(static_cast<QLineEdit*>(widget), &QLineEdit::textEdited, this,
            [this, id](const QString& text) { run([&] { m_editor.userChangedText(id, text); }); });
        break;
    case Kind::List: {
        auto* box = static_cast<QComboBox*>(widget);
        // A question answered Cancel keeps the value shown before.
        connect(box->lineEdit(), &QLineEdit::textEdited, this, [this, id](const QString& text) {
            run([&] { m_editor.userChangedText(id, text); });
            showValue(id);
        });
        connect(box, qOverload<int>(&QComboBox::activated), this, [this, id, box](int index) {
            const QString text = box->itemText(index);
            run([&] { m_editor.userChangedText(id, text); });
            showValue(id);
        });
        break;
    }
    case Kind::Memo: {
        auto* memo = static_cast<QPlainTextEdit*>(widget);
        const int limit = info(id).typingLimit;
        if (limit > 0) {
            QTextDocument* document = memo->document();
            connect(document, &QTextDocument::contentsChange, this,
                [this, document, limit](int position, int removed, int added) {
                    if (m_showing || added <= removed)
                        return;
                    const int length = document->characterCount() - 1;
                    const int allowed = std::max(limit, length - added + removed);
                    const int excess = std::min(length - allowed, added - removed);
                    if (excess <= 0)
                        return;
                    QTextCursor cursor(document);
                    cursor.setPosition(position + added - excess);
                    cursor.setPosition(position + added, QTextCursor::KeepAnchor);
                    cursor.removeSelectedText();
                });
        }
        connect(memo, &QPlainTextEdit::textChanged, this, [this, id, memo] {
            if (!m_showing)
                run([&] { m_editor.userChangedLines(id, splitLines(memo->toPlainText())); });
        });
        break;
    }
    case Kind::Date: {
        auto* picker = static_cast<QDateEdit*>(widget);
        connect(picker, &QDateEdit::dateChanged, this, [this, id](const QDate& date) {
            if (!m_showing)
                run([&] { m_editor.userChangedDate(id, date == kNoDate ? QDate() : date); });
        });
        break;
    }
    }
}

void EditorWindow::showValue(Id id)
{
    QWidget* widget = control(id);
    if (!widget)
        return;
    const bool wasShowing = m_showing;
    m_showing = true;
    switch (kind(id)) {
    case Kind::Edit: {
        auto* edit = static_cast<QLineEdit*>(widget);
        if (edit->text() != m_state.text(id))
            edit->setText(m_state.text(id));
        break;
    }
    case Kind::List: {
        auto* box = static_cast<QComboBox*>(widget);
        const QSignalBlocker blocker(box);
        const QStringList items = m_state.items(id);
        if (comboItems(box) != items) {
            box->clear();
            box->addItems(items);
            box->setEditText(m_state.text(id));
        }
        if (box->currentText() != m_state.text(id)) {
            const int index = box->findText(m_state.text(id), Qt::MatchExactly | Qt::MatchCaseSensitive);
            if (index >= 0)
                box->setCurrentIndex(index);
            box->setEditText(m_state.text(id));
        }
        break;
    }
    case Kind::Memo: {
        auto* memo = static_cast<QPlainTextEdit*>(widget);
        const QStringList lines = m_state.lines(id);
        if (splitLines(memo->toPlainText()) != lines)
            memo->setPlainText(lines.join(QLatin1Char('\n')));
        break;
    }
    case Kind::Date: {
        auto* picker = static_cast<QDateEdit*>(widget);
        const QDate date = m_state.date(id).isValid() ? m_state.date(id) : kNoDate;
        if (picker->date() != date)
            picker->setDate(date);
        break;
    }
    }
    m_showing = wasShowing;
}

void EditorWindow::showAll()
{
    for (int id = 0; id < Count; ++id)
        showValue(static_cast<Id>(id));
    if (auto* siteEffects = findChild<QCheckBox*>(QStringLiteral("chkSiteEffects"))) {
        const QSignalBlocker blocker(siteEffects);
        siteEffects->setChecked(m_state.siteEffects);
    }
}

void EditorWindow::run(const std::function<void()>& command)
{
    try {
        command();
    } catch (const QuilletError& error) {
        MessageSink::current().showMessage(error.text());
        showAll();
    }
}

// Delete or Backspace pressed while the picker's whole text is selected.
static bool clearsWholeDate(QDateEdit* picker, const QKeyEvent* key)
{
    if (key->key() != Qt::Key_Delete && key->key() != Qt::Key_Backspace)
        return false;
    const auto* edit = picker->findChild<QLineEdit*>();
    return edit && edit->hasSelectedText() && edit->selectedText() == edit->text();
}

bool EditorWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        for (Id id : {dteFile, dteExpire}) {
            auto* picker = static_cast<QDateEdit*>(control(id));
            if (picker && watched == picker && clearsWholeDate(picker, static_cast<QKeyEvent*>(event))) {
                picker->setDate(kNoDate);
                return true;
            }
        }
    }
    if (event->type() == QEvent::Show) {
        for (Id id : {dteFile, dteExpire}) {
            auto* picker = static_cast<QDateEdit*>(control(id));
            if (picker && watched == picker->calendarWidget() && picker->date() == kNoDate) {
                const QDate today = QDate::currentDate();
                picker->calendarWidget()->setCurrentPage(today.year(), today.month());
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void EditorWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    showAll();
    raise();
    activateWindow();
}

void EditorWindow::done(int result)
{
    // A save asked for at closing that fails (a company name that cannot be
    // stored, a table that refuses the row) keeps the window open with the
    // edits, after its message; answering No closes without saving.
    if (!m_closed) {
        if (!m_editor.close()) {
            showAll();
            return;
        }
        m_closed = true;
    }
    QDialog::done(result);
}

void EditorWindow::closeEditor()
{
    if (m_closed)
        return;
    m_closed = true;
    m_editor.close();
}

void EditorWindow::saveCompany()
{
    run([this] { m_editor.saveCompany(); });
}

void EditorWindow::saveProgram()
{
    run([this] { m_editor.saveProgram(); });
}

void EditorWindow::saveAll()
{
    run([this] { m_editor.saveAll(); });
}

void EditorWindow::exitEditor()
{
    accept();
}

void EditorWindow::newProgram()
{
    bool settled = false;
    run([&] { settled = m_editor.settleProgramEdits(); });
    if (!settled)
        return;
    bool ok = false;
    const QString name = QInputDialog::getText(this, translateMsg(QStringLiteral("Add program")),
        translateMsg(QStringLiteral("Enter new program name:")), QLineEdit::Normal, QString(), &ok);
    if (!ok)
        return;
    run([&] { m_editor.newProgram(name); });
}

void EditorWindow::deleteProgram()
{
    run([this] { m_editor.deleteProgram(); });
}

void EditorWindow::showHelp()
{
    HelpWindow::showTopic(HelpContext, this);
}

QString EditorWindow::chooseFile(const QString& delphiFilter, const QString& folder)
{
    // The filters are marked where chooseFile is called.
    const QString filter = FileDialogFilter::filterString(translateMsg(delphiFilter)); // lng-keys: indirect
    if (m_chooseFile)
        return m_chooseFile(this, filter, folder);
    return QFileDialog::getOpenFileName(this, QString(), folder, filter);
}

void EditorWindow::browseFile()
{
    const QString path
        = chooseFile(MESSAGE_NOOP(QStringLiteral("Zip Files|*.Zip|Executable Files|*.Exe|All Files|*.*")),
            m_editor.config().lastArcPath);
    if (!path.isEmpty())
        run([&] { m_editor.browseFile(path); });
}

void EditorWindow::importPad()
{
    const QString path = chooseFile(
        MESSAGE_NOOP(QStringLiteral("PAD Files|*.Xml|Text Files|*.TXT|All Files|*.*")), m_editor.config().lastPadPath);
    if (!path.isEmpty() && m_editor.acceptPadFile(path))
        loadPadFile(path);
}

void EditorWindow::browsePadFile()
{
    const QString path = chooseFile(
        MESSAGE_NOOP(QStringLiteral("PAD Files|*.Xml|Text Files|*.TXT|All Files|*.*")), m_editor.config().lastPadPath);
    if (!path.isEmpty() && m_editor.acceptPadFile(path))
        m_state.setText(edtPADPath, QFileInfo(path).absoluteFilePath(), EditorState::Origin::Editor);
}

void EditorWindow::refreshPadFile()
{
    loadPadFile(m_state.text(edtPADPath));
}

void EditorWindow::loadPadFile(const QString& path)
{
    const PadImport::Mode mode
        = m_pages->currentWidget() == m_tabCompany ? PadImport::Mode::Company : PadImport::Mode::Program;
    const PadImport::Result result = PadImport(m_editor).loadPadFile(path, mode);
    PadImport::report(result);
}

void EditorWindow::exportPad()
{
    const QString program = m_state.text(cboProgramName);
    if (program.isEmpty()) {
        MessageSink::current().showMessage(
            translateMsg(QStringLiteral("Choose a program first: the PAD file describes one program.")));
        return;
    }
    QString suggested = m_state.text(edtPADPath).trimmed();
    if (suggested.isEmpty())
        suggested = m_editor.config().lastPadPath + program + QStringLiteral(".xml");
    const QString filter
        = FileDialogFilter::filterString(translateMsg(QStringLiteral("PAD Files|*.Xml|All Files|*.*")));
    const QString path = m_chooseSaveFile ? m_chooseSaveFile(this, filter, suggested)
                                          : QFileDialog::getSaveFileName(this, QString(), suggested, filter);
    if (!path.isEmpty() && exportPadFile(path))
        MessageSink::current().showMessage(
            translateMsg(QStringLiteral("The PAD file %1 is written.")).arg(QFileInfo(path).absoluteFilePath()));
}

bool EditorWindow::exportPadFile(const QString& path)
{
    try {
        PadExport::exportTo(path, PadExport::valuesOf(m_state, m_editor.properties()));
        m_editor.config().lastPadPath = QFileInfo(path).absolutePath() + QLatin1Char('/');
        return true;
    } catch (const QuilletError& error) {
        MessageSink::current().showMessage(error.text());
        return false;
    }
}

void EditorWindow::checkPadFile()
{
    const QString path = chooseFile(
        MESSAGE_NOOP(QStringLiteral("PAD Files|*.Xml|Text Files|*.TXT|All Files|*.*")), m_editor.config().lastPadPath);
    if (!path.isEmpty() && m_editor.acceptPadFile(path))
        checkPadFileAt(path);
}

void EditorWindow::checkPadFileAt(const QString& path)
{
    try {
        showPadProblems(QFileInfo(path).fileName(), PadValidator::validateFile(path));
    } catch (const QuilletError& error) {
        MessageSink::current().showMessage(error.text());
    }
}

void EditorWindow::checkRecord()
{
    try {
        const PadValues values = PadExport::valuesOf(m_state, m_editor.properties());
        const std::optional<PadDocument> base = PadExport::baseOf(values);
        const PadDocument document = PadDocument::parse(PadExport::document(values, base ? &*base : nullptr));
        const QString program = m_state.text(cboProgramName);
        showPadProblems(program.isEmpty() ? translateMsg(QStringLiteral("The program")) : program,
            PadValidator::validate(document));
    } catch (const QuilletError& error) {
        MessageSink::current().showMessage(error.text());
    }
}

void EditorWindow::showPadProblems(const QString& subject, const QList<PadValidator::Problem>& problems)
{
    if (!m_padCheck) {
        m_padCheck = new PadCheckDialog(m_editor.config(), this);
        connect(m_padCheck, &PadCheckDialog::fieldChosen, this, [this](const QString& field) {
            activateWindow();
            focusPadField(field);
        });
    }
    m_padCheck->showProblems(subject, problems);
    // The list stays beside the editor; the keyboard goes to the field of
    // the first error the editor holds (of the first warning when no error
    // is the editor's).
    m_padCheck->setAttribute(Qt::WA_ShowWithoutActivating);
    m_padCheck->show();
    m_padCheck->raise();
    for (const PadValidator::Level level : {PadValidator::Level::Error, PadValidator::Level::Warning}) {
        for (const PadValidator::Problem& problem : problems) {
            if (problem.level == level && focusPadField(problem.field))
                return;
        }
    }
}

bool EditorWindow::focusPadField(const QString& field)
{
    const Id id = PadExport::controlOf(field);
    if (id == Count)
        return false;
    QWidget* widget = control(id);
    if (!widget || !widget->isEnabled())
        return false;
    for (int page = 0; page < m_pages->count(); ++page) {
        if (m_pages->widget(page)->isAncestorOf(widget)) {
            m_pages->setCurrentIndex(page);
            break;
        }
    }
    activateWindow();
    widget->setFocus(Qt::OtherFocusReason);
    return true;
}
