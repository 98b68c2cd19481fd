#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class Settings;
class WindowTranslator;

// The About box: product name, version and build, the maker's notice and a
// link to the maker's home page. Shown modally by Help > About and released
// when closed; translated at creation unless the language is "English".
class AboutDialog : public QDialog {
    Q_OBJECT

public:
    explicit AboutDialog(const Settings& config, QWidget* parent = nullptr);

    // The maker's home page as the About box and the Help menu open it.
    static QString makerHomePage();
    // The product's page on the maker's site.
    static QString productPage();
    // The program's version as a number (3.2).
    static double programVersion();
    // "Version 3.20" and "Build 3.200", with the words translated by translateMsg.
    static QString versionText();
    static QString buildText();
    // The window texts a language file may translate.
    static const QStringList& translationPaths();

    WindowTranslator* language() const { return m_language; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    WindowTranslator* m_language;
};
