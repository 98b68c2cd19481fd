#pragma once

#include "OptionsModel.h"

#include <QDialog>
#include <QPointer>

class DataSelector;
class PropertyCatalogue;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFormLayout;
class QLineEdit;
class QListWidget;
class QSpinBox;
class QTabWidget;
class Settings;
class SubmissionDatabase;

// The options dialog: automatic form filling and the site filter, the mail
// server, the browser's context menu and the Power Paste menu's items, on
// four pages. It opens with the values of the settings and the catalogue and
// changes them only on OK, after both number boxes have been checked: a box
// that gives no valid number is named in a message, gets the focus, and
// nothing is applied. OK then applies the new site filter at once (the site
// selector follows) and has the data selector rebuild the Power Paste menu.
//
// The texts are English only; the dialog carries no translation component.
class OptionsDialog : public QDialog {
    Q_OBJECT
public:
    // dm and dataSelector may be null (nothing is filtered or rebuilt then).
    OptionsDialog(Settings& config, PropertyCatalogue& properties, SubmissionDatabase* dm, DataSelector* dataSelector,
        QWidget* parent = nullptr);
    ~OptionsDialog() override;

    // The values the controls hold now.
    OptionsModel values() const;

    // The character the password box shows for each typed character.
    static constexpr char16_t PasswordCharacter = u'#';

public Q_SLOTS:
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // One group of functions per page: build its controls, show a model's
    // values in them, take the values back.
    QWidget* buildGeneralPage();
    void showGeneral(const OptionsModel::GeneralPage& page);
    OptionsModel::GeneralPage takeGeneral() const;

    QWidget* buildMailPage();
    void showMail(const OptionsModel::MailPage& page);
    OptionsModel::MailPage takeMail() const;

    QWidget* buildBrowserMenuPage();
    void showBrowserMenu(const OptionsModel::BrowserMenuPage& page);
    OptionsModel::BrowserMenuPage takeBrowserMenu() const;

    QWidget* buildPowerPastePage();
    void showPowerPaste(const OptionsModel::PowerPastePage& page);
    OptionsModel::PowerPastePage takePowerPaste() const;

    void normaliseSiteRank();
    void focusField(OptionsModel::Field field);

    Settings& m_config;
    PropertyCatalogue& m_properties;
    SubmissionDatabase* m_dm;
    QPointer<DataSelector> m_dataSelector;

    QTabWidget* m_pages = nullptr;

    QCheckBox* m_autoFill = nullptr;
    QLineEdit* m_siteRank = nullptr;
    QCheckBox* m_padEnabled = nullptr;
    QCheckBox* m_padPolling = nullptr;
    QLineEdit* m_updateServer = nullptr;

    QFormLayout* m_mailForm = nullptr;
    QLineEdit* m_smtpHost = nullptr;
    QSpinBox* m_port = nullptr;
    QComboBox* m_security = nullptr;
    QString m_securityShown; // the choice the port last followed
    QLineEdit* m_defaultFrom = nullptr;
    QCheckBox* m_authentication = nullptr;
    QLineEdit* m_loginId = nullptr;
    QLineEdit* m_password = nullptr;

    QButtonGroup* m_contextMenu = nullptr;

    QListWidget* m_powerPasteItems = nullptr;
    QLineEdit* m_itemsPerColumn = nullptr;
};
