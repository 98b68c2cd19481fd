#include "OptionsDialog.h"

#include "DataSelector.h"
#include "MessageSink.h"
#include "PropertyCatalogue.h"
#include "Settings.h"
#include "SubmissionDatabase.h"
#include "UiTranslation.h"
#include "WindowTexts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

// Shows every character of a password box as '#', at once.
class HashPasswordStyle : public QProxyStyle {
public:
    int styleHint(
        StyleHint hint, const QStyleOption* option, const QWidget* widget, QStyleHintReturn* returnData) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter)
            return OptionsDialog::PasswordCharacter;
        if (hint == SH_LineEdit_PasswordMaskDelay)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

QLineEdit* makeEdit(const char* name, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

// A label named as language files address it, for the editor buddy.
QLabel* makeLabel(const char* name, const QString& text, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setBuddy(buddy);
    return label;
}

QCheckBox* makeCheckBox(const char* name, const QString& text, QWidget* parent)
{
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

} // namespace

OptionsDialog::OptionsDialog(Settings& config, PropertyCatalogue& properties, SubmissionDatabase* dm,
    DataSelector* dataSelector, QWidget* parent)
    : QDialog(parent)
    , m_config(config)
    , m_properties(properties)
    , m_dm(dm)
    , m_dataSelector(dataSelector)
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Options"));

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    // All four tabs in view: the dialog is as wide as they need.
    m_pages->setUsesScrollButtons(false);
    m_pages->addTab(buildGeneralPage(), QStringLiteral("General"));
    m_pages->addTab(buildMailPage(), QStringLiteral("E-Mail"));
    m_pages->addTab(buildBrowserMenuPage(), QStringLiteral("Browser Menu"));
    m_pages->addTab(buildPowerPastePage(), QStringLiteral("Power Paste Menu"));
    m_pages->setCurrentIndex(0);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setDefault(true);
    QPushButton* cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &OptionsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);
    layout->addWidget(buttons);
    // A fixed dialog border: the dialog keeps the size its pages need.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    const OptionsModel model = OptionsModel::read(m_config, m_properties);
    showGeneral(model.general);
    showMail(model.mail);
    showBrowserMenu(model.browserMenu);
    showPowerPaste(model.powerPaste);
    translateWindow(this);
}

OptionsDialog::~OptionsDialog() = default;

// --- General page -----------------------------------------------------------

QWidget* OptionsDialog::buildGeneralPage()
{
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("tabGeneral"));

    auto* download = new QGroupBox(QStringLiteral("On Page Download Completion"), page);
    download->setObjectName(QStringLiteral("GroupBox1"));
    m_autoFill
        = makeCheckBox("AutomaticallyFillFormCheckBox", QStringLiteral("Automatically fill form fields"), download);
    auto* downloadLayout = new QVBoxLayout(download);
    downloadLayout->addWidget(m_autoFill);

    auto* filter = new QGroupBox(QStringLiteral("Site Filter"), page);
    filter->setObjectName(QStringLiteral("GroupBox2"));
    auto* rankLabel = new QLabel(QStringLiteral("Site rank >:"), filter);
    rankLabel->setObjectName(QStringLiteral("Label1"));
    m_siteRank = makeEdit("edtSiteRank", filter);
    m_siteRank->setText(QStringLiteral("0"));
    // Digits only, with an optional minus in front, as in the port box.
    m_siteRank->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("-?[0-9]*")), m_siteRank));
    m_siteRank->setMaximumWidth(m_siteRank->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")));
    rankLabel->setBuddy(m_siteRank);
    m_siteRank->installEventFilter(this);
    m_padEnabled = makeCheckBox("chkPADEnabled", QStringLiteral("PAD Enabled"), filter);
    m_padPolling = makeCheckBox("chkPADPolling", QStringLiteral("PAD Polling"), filter);
    auto* rankRow = new QHBoxLayout;
    rankRow->addWidget(rankLabel);
    rankRow->addWidget(m_siteRank);
    rankRow->addStretch();
    auto* filterLayout = new QVBoxLayout(filter);
    filterLayout->addLayout(rankRow);
    filterLayout->addWidget(m_padEnabled);
    filterLayout->addWidget(m_padPolling);

    auto* updates = new QGroupBox(QStringLiteral("Updates"), page);
    updates->setObjectName(QStringLiteral("GroupBox5"));
    m_updateServer = makeEdit("edtUpdateServer", updates);
    m_updateServer->setMinimumWidth(
        m_updateServer->fontMetrics().horizontalAdvance(QStringLiteral("https://updates.example.com/quillet")));
    m_updateServer->setPlaceholderText(QStringLiteral("https://updates.example.com"));
    WindowTexts::keepCodeText(m_updateServer); // an example address, the same in every language
    auto* updatesLayout = new QFormLayout(updates);
    updatesLayout->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    auto* serverLabel = new QLabel(QStringLiteral("&Update server:"), updates);
    serverLabel->setObjectName(QStringLiteral("Label10"));
    serverLabel->setBuddy(m_updateServer);
    updatesLayout->addRow(serverLabel, m_updateServer);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(download);
    layout->addWidget(filter);
    layout->addWidget(updates);
    layout->addStretch();
    return page;
}

void OptionsDialog::showGeneral(const OptionsModel::GeneralPage& page)
{
    m_autoFill->setChecked(page.autoFillFormFields);
    m_siteRank->setText(page.siteRank);
    m_padEnabled->setChecked(page.padEnabled);
    m_padPolling->setChecked(page.padPolling);
    m_updateServer->setText(page.updateServer);
}

OptionsModel::GeneralPage OptionsDialog::takeGeneral() const
{
    OptionsModel::GeneralPage page;
    page.autoFillFormFields = m_autoFill->isChecked();
    page.siteRank = m_siteRank->text();
    page.padEnabled = m_padEnabled->isChecked();
    page.padPolling = m_padPolling->isChecked();
    page.updateServer = m_updateServer->text();
    return page;
}

// --- E-Mail page ------------------------------------------------------------

QWidget* OptionsDialog::buildMailPage()
{
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("tabEMail"));
    auto* group = new QGroupBox(QStringLiteral("E-Mail"), page);
    group->setObjectName(QStringLiteral("GroupBox3"));

    m_smtpHost = makeEdit("edtSMTPHost", group);
    m_port = new QSpinBox(group);
    m_port->setObjectName(QStringLiteral("edtSMTPPort"));
    m_port->setRange(1, 65535);
    m_security = new QComboBox(group);
    m_security->setObjectName(QStringLiteral("cboSecurity"));
    m_security->addItem(QStringLiteral("None"), QStringLiteral("none"));
    m_security->addItem(QStringLiteral("STARTTLS"), QStringLiteral("starttls"));
    m_security->addItem(QStringLiteral("TLS"), QStringLiteral("tls"));
    // Picking another security moves a port that was the old choice's usual one to the new choice's.
    connect(m_security, qOverload<int>(&QComboBox::activated), this, [this](int index) {
        const QString chosen = m_security->itemData(index).toString();
        m_port->setValue(OptionsModel::portAfterSecurityChange(m_port->value(), m_securityShown, chosen));
        m_securityShown = chosen;
    });
    m_defaultFrom = makeEdit("edtDefaultFromEMailAddress", group);
    m_authentication = makeCheckBox("chkAuthentication", QStringLiteral("Enable authentication"), group);
    m_loginId = makeEdit("edtEmailLoginID", group);
    m_password = makeEdit("edtEmailPassword", group);
    auto* hashes = new HashPasswordStyle;
    hashes->setParent(this); // outlives the box, which goes with the pages
    m_password->setStyle(hashes);
    m_password->setEchoMode(QLineEdit::Password);

    // One row per setting: the server's rows first, then the login.
    m_mailForm = new QFormLayout(group);
    m_mailForm->setObjectName(QStringLiteral("EMailForm"));
    m_mailForm->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    m_mailForm->addRow(makeLabel("Label2", QStringLiteral("SMTP mail &host:"), m_smtpHost, group), m_smtpHost);
    m_mailForm->addRow(makeLabel("Label3", QStringLiteral("P&ort:"), m_port, group), m_port);
    m_mailForm->addRow(makeLabel("Label4", QStringLiteral("&Security:"), m_security, group), m_security);
    m_mailForm->addRow(makeLabel("Label5", QStringLiteral("Default &from:"), m_defaultFrom, group), m_defaultFrom);
    m_mailForm->addRow(m_authentication);
    m_mailForm->addRow(makeLabel("Label6", QStringLiteral("&Login ID:"), m_loginId, group), m_loginId);
    m_mailForm->addRow(makeLabel("Label7", QStringLiteral("&Password:"), m_password, group), m_password);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(group);
    layout->addStretch();
    return page;
}

void OptionsDialog::showMail(const OptionsModel::MailPage& page)
{
    m_smtpHost->setText(page.smtpHost);
    m_port->setValue(page.port);
    int security = m_security->findData(page.security.trimmed().toLower());
    if (security < 0) {
        // A value typed into quillet.ini by hand stays until another is chosen.
        m_security->addItem(page.security, page.security);
        security = m_security->count() - 1;
    }
    m_security->setCurrentIndex(security);
    m_securityShown = page.security;
    m_defaultFrom->setText(page.defaultFrom);
    m_authentication->setChecked(page.authentication);
    m_loginId->setText(page.loginId);
    m_password->setText(page.password);
}

OptionsModel::MailPage OptionsDialog::takeMail() const
{
    OptionsModel::MailPage page;
    page.smtpHost = m_smtpHost->text();
    page.port = m_port->value();
    page.security = m_security->currentData().toString();
    page.defaultFrom = m_defaultFrom->text();
    page.authentication = m_authentication->isChecked();
    page.loginId = m_loginId->text();
    page.password = m_password->text();
    return page;
}

// --- Browser Menu page ------------------------------------------------------

QWidget* OptionsDialog::buildBrowserMenuPage()
{
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("tabBrowserMenu"));
    auto* group = new QGroupBox(QStringLiteral("Browser Context Menu"), page);
    group->setObjectName(QStringLiteral("BrowserContextMenuGroupBox"));
    m_contextMenu = new QButtonGroup(this);
    auto* groupLayout = new QVBoxLayout(group);
    const QStringList items {
        QStringLiteral("Browser's default context menu"), QStringLiteral("Power Paste"), QStringLiteral("Quick Paste")};
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items.at(i), group);
        button->setObjectName(QStringLiteral("BrowserContextMenuItem%1").arg(i));
        m_contextMenu->addButton(button, i);
        groupLayout->addWidget(button);
    }
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(group);
    layout->addStretch();
    return page;
}

void OptionsDialog::showBrowserMenu(const OptionsModel::BrowserMenuPage& page)
{
    if (QAbstractButton* button = m_contextMenu->button(page.contextMenuIndex))
        button->setChecked(true);
}

OptionsModel::BrowserMenuPage OptionsDialog::takeBrowserMenu() const
{
    OptionsModel::BrowserMenuPage page;
    page.contextMenuIndex = m_contextMenu->checkedId();
    return page;
}

// --- Power Paste Menu page --------------------------------------------------

QWidget* OptionsDialog::buildPowerPastePage()
{
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("tabPowerPaste"));
    auto* group = new QGroupBox(QStringLiteral("Power Paste Context Menu"), page);
    group->setObjectName(QStringLiteral("GroupBox4"));
    auto* itemsLabel = new QLabel(QStringLiteral("Properties to include or omit on the menu:"), group);
    itemsLabel->setObjectName(QStringLiteral("Label8"));
    m_powerPasteItems = new QListWidget(group);
    m_powerPasteItems->setObjectName(QStringLiteral("PowerPasteItemsCheckListBox"));
    m_powerPasteItems->setMinimumHeight(m_powerPasteItems->fontMetrics().height() * 12);
    itemsLabel->setBuddy(m_powerPasteItems);
    auto* columnLabel = new QLabel(QStringLiteral("Items per &column:"), group);
    columnLabel->setObjectName(QStringLiteral("Label9"));
    m_itemsPerColumn = makeEdit("PowerPasteItemsPerColumnEdit", group);
    m_itemsPerColumn->setMaximumWidth(m_itemsPerColumn->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")));
    columnLabel->setBuddy(m_itemsPerColumn);

    auto* columnRow = new QHBoxLayout;
    columnRow->addWidget(columnLabel);
    columnRow->addWidget(m_itemsPerColumn);
    columnRow->addStretch();
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(itemsLabel);
    groupLayout->addWidget(m_powerPasteItems, 1);
    groupLayout->addLayout(columnRow);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(group);
    return page;
}

void OptionsDialog::showPowerPaste(const OptionsModel::PowerPastePage& page)
{
    m_powerPasteItems->clear();
    for (int i = 0; i < page.captions.size(); ++i) {
        auto* item = new QListWidgetItem(page.captions.at(i), m_powerPasteItems);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(i < page.included.size() && page.included.at(i) ? Qt::Checked : Qt::Unchecked);
    }
    m_itemsPerColumn->setText(page.itemsPerColumn);
}

OptionsModel::PowerPastePage OptionsDialog::takePowerPaste() const
{
    OptionsModel::PowerPastePage page;
    for (int i = 0; i < m_powerPasteItems->count(); ++i) {
        page.captions.append(m_powerPasteItems->item(i)->text());
        page.included.append(m_powerPasteItems->item(i)->checkState() == Qt::Checked);
    }
    page.itemsPerColumn = m_itemsPerColumn->text();
    return page;
}

// --- The dialog -------------------------------------------------------------

OptionsModel OptionsDialog::values() const
{
    OptionsModel model;
    model.general = takeGeneral();
    model.mail = takeMail();
    model.browserMenu = takeBrowserMenu();
    model.powerPaste = takePowerPaste();
    return model;
}

void OptionsDialog::normaliseSiteRank()
{
    // A text that gives no number stays as typed; OK names the box then.
    const QString normal = OptionsModel::normalisedRank(m_siteRank->text());
    if (normal != m_siteRank->text())
        m_siteRank->setText(normal);
}

void OptionsDialog::accept()
{
    // Enter in the rank box reaches OK without the box being left.
    normaliseSiteRank();
    OptionsModel::Applied applied;
    const OptionsModel::Problem problem = values().apply(m_config, m_properties, &applied);
    if (!problem.isNone()) {
        MessageSink::current().showMessage(problem.message, windowTitle());
        focusField(problem.field);
        return;
    }
    if (applied.siteFilterChanged && m_dm)
        m_dm->applySiteFilter();
    QDialog::accept();
    if (m_dataSelector)
        m_dataSelector->buildPowerPasteMenu();
}

void OptionsDialog::focusField(OptionsModel::Field field)
{
    QLineEdit* box = nullptr;
    switch (field) {
    case OptionsModel::Field::SiteRank:
        box = m_siteRank;
        break;
    case OptionsModel::Field::ItemsPerColumn:
        box = m_itemsPerColumn;
        break;
    case OptionsModel::Field::UpdateServer:
        box = m_updateServer;
        break;
    case OptionsModel::Field::None:
        return;
    }
    // The box's page comes to the front before the box takes the focus.
    for (int i = 0; i < m_pages->count(); ++i) {
        if (m_pages->widget(i)->isAncestorOf(box))
            m_pages->setCurrentIndex(i);
    }
    box->setFocus(Qt::OtherFocusReason);
    box->selectAll();
}

void OptionsDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    raise();
    activateWindow();
}

bool OptionsDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_siteRank && event->type() == QEvent::FocusOut)
        normaliseSiteRank();
    return QDialog::eventFilter(watched, event);
}
