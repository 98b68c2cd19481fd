#include "PadCheckDialog.h"

#include "UiTranslation.h"
#include "WindowTranslator.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

PadCheckDialog::PadCheckDialog(Settings& config, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmPadCheck"));
    setWindowTitle(QStringLiteral("PAD check"));
    setModal(false);

    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("lblPadCheckSummary"));
    m_summary->setWordWrap(true);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("lstPadProblems"));
    m_list->setWordWrap(true);
    m_list->setAlternatingRowColors(true);
    connect(m_list, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        const int row = m_list->row(item);
        if (row >= 0 && row < m_problems.size() && !m_problems.at(row).field.isEmpty())
            Q_EMIT fieldChosen(m_problems.at(row).field);
    });

    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("btnClose"));
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_summary);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    resize(720, 360);

    m_language = createWindowLanguage(this, translationPaths());
    m_language->applyLanguage(config);
}

const QStringList& PadCheckDialog::translationPaths()
{
    static const QStringList paths {
        QStringLiteral("frmPadCheck.Caption"), QStringLiteral("frmPadCheck.btnClose.Caption")};
    return paths;
}

void PadCheckDialog::showProblems(const QString& subject, const QList<PadValidator::Problem>& problems)
{
    m_problems = problems;
    m_list->clear();
    for (const PadValidator::Problem& problem : problems) {
        auto* item = new QListWidgetItem(problem.line(), m_list);
        if (problem.level == PadValidator::Level::Error)
            item->setForeground(QColor(0xb0, 0x00, 0x20));
    }
    m_summary->setText(PadValidator::summary(subject, problems));
}

QStringList PadCheckDialog::lines() const
{
    QStringList all;
    for (int i = 0; i < m_list->count(); ++i)
        all << m_list->item(i)->text();
    return all;
}

QString PadCheckDialog::summary() const
{
    return m_summary->text();
}
