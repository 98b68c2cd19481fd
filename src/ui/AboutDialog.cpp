#include "AboutDialog.h"

#include "Helpers.h"
#include "MessageTranslator.h"
#include "Settings.h"
#include "UiTranslation.h"
#include "WindowTexts.h"
#include "WindowTranslator.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

QLabel* newLabel(QWidget* parent, const char* name, const QString& text = QString())
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

} // namespace

AboutDialog::AboutDialog(const Settings& config, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About Velmora Submit"));

    auto* picture = newLabel(this, "ProgramIcon");
    QIcon icon = QApplication::windowIcon();
    if (icon.isNull())
        icon = style()->standardIcon(QStyle::SP_ComputerIcon);
    picture->setPixmap(icon.pixmap(64, 64));
    picture->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto* productName = newLabel(this, "ProductName", QStringLiteral("Velmora Submit\u2122"));
    QFont titleFont = productName->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.8);
    productName->setFont(titleFont);

    auto* version = newLabel(this, "Version");
    QFont boldFont = version->font();
    boldFont.setBold(true);
    version->setFont(boldFont);
    auto* build = newLabel(this, "lblBuild");
    auto* copyright = newLabel(this, "Copyright", QStringLiteral("Copyright \u00a9 Orlan. All rights reserved."));

    const QString homePage = makerHomePage();
    auto* link = newLabel(this, "lblHomePage");
    WindowTexts::keepCodeText(link); // an address, the same in every language
    link->setTextFormat(Qt::RichText);
    link->setText(QStringLiteral("<a href=\"%1\">%2</a>").arg(homePage.toHtmlEscaped(), homePage.toHtmlEscaped()));
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    link->setOpenExternalLinks(false);
    connect(link, &QLabel::linkActivated, this, [](const QString& address) { openUrl(address, false); });

    auto* notice = newLabel(this, "Label1");
    notice->setAlignment(Qt::AlignCenter);
    QPalette red = notice->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    notice->setPalette(red);

    auto* okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("OKButton"));
    okButton->setDefault(true);
    // Enter (default button) and Esc (QDialog's cancel key) both close the box.
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->addWidget(productName);
    texts->addWidget(version);
    texts->addWidget(build);
    texts->addSpacing(8);
    texts->addWidget(copyright);
    texts->addWidget(link);
    auto* top = new QHBoxLayout;
    top->addWidget(picture);
    top->addSpacing(12);
    top->addLayout(texts, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(okButton);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(notice);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_language = createWindowLanguage(this, translationPaths());
    m_language->applyLanguage(config);
    // The version and build numbers are set after the window texts so a
    // translated label never loses them.
    version->setText(versionText());
    build->setText(buildText());
}

const QStringList& AboutDialog::translationPaths()
{
    static const QStringList paths {QStringLiteral("AboutBox.Caption"), QStringLiteral("AboutBox.lblBuild.Caption"),
        QStringLiteral("AboutBox.Version.Caption"), QStringLiteral("AboutBox.Copyright.Caption"),
        QStringLiteral("AboutBox.Label1.Caption"), QStringLiteral("AboutBox.OKButton.Caption")};
    return paths;
}

QString AboutDialog::makerHomePage()
{
    return QStringLiteral("https://www.orlan.example/?quilletexe");
}

QString AboutDialog::productPage()
{
    return QStringLiteral("https://www.orlan.example/quillet.html?exe");
}

double AboutDialog::programVersion()
{
    return QStringLiteral(QUILLET_VERSION).toDouble();
}

QString AboutDialog::versionText()
{
    return translateMsg(QStringLiteral("Version")) + QLatin1Char(' ') + QLocale().toString(programVersion(), 'f', 2);
}

QString AboutDialog::buildText()
{
    return translateMsg(QStringLiteral("Build")) + QLatin1Char(' ') + QLocale().toString(programVersion(), 'f', 3);
}

void AboutDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    raise();
    activateWindow();
}
