#include "SiteListNote.h"

#include "MessageTranslator.h"
#include "QuilletError.h"
#include "SubmissionDatabase.h"

#include <QAbstractItemView>
#include <QEvent>

SiteListNote::SiteListNote(SubmissionDatabase& dm, QAbstractItemView* view)
    : QLabel(view->viewport())
    , m_dm(dm)
    , m_view(view)
{
    setObjectName(QStringLiteral("SiteListNote"));
    setText(noteText());
    setWordWrap(true);
    setAlignment(Qt::AlignCenter);
    setMargin(12);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, colours.color(QPalette::PlaceholderText));
    setPalette(colours);
    QFont larger = font();
    larger.setPointSizeF(view->window()->font().pointSizeF());
    setFont(larger);

    view->viewport()->installEventFilter(this);
    setGeometry(view->viewport()->rect());
    if (QAbstractItemModel* model = view->model()) {
        connect(model, &QAbstractItemModel::modelReset, this, &SiteListNote::refresh);
        connect(model, &QAbstractItemModel::rowsInserted, this, &SiteListNote::refresh);
        connect(model, &QAbstractItemModel::rowsRemoved, this, &SiteListNote::refresh);
        connect(model, &QAbstractItemModel::layoutChanged, this, &SiteListNote::refresh);
    }
    refresh();
}

QString SiteListNote::noteText()
{
    return translateMsg(QStringLiteral("No sites yet.")) + QStringLiteral("\n\n")
        + translateMsg(
            QStringLiteral("Get the list of submission sites with \"Check for site updates\" in the File menu."))
        + QStringLiteral("\n\n")
        + translateMsg(QStringLiteral(
            "Or try the demo sites: run scripts/setup-demo.sh DIR in the source folder, then quillet --dir DIR."));
}

void SiteListNote::refresh()
{
    bool empty = false;
    if (m_view && m_view->model() && m_view->model()->rowCount() == 0 && m_dm.isTableOpen(Table::Sites)) {
        try {
            empty = m_dm.rowCount(Table::Sites) == 0;
        } catch (const QuilletError&) {
            empty = false; // a table that cannot be counted is not known to be empty
        }
    }
    setVisible(empty);
}

bool SiteListNote::eventFilter(QObject* watched, QEvent* event)
{
    if (m_view && watched == m_view->viewport() && event->type() == QEvent::Resize)
        setGeometry(m_view->viewport()->rect());
    return QLabel::eventFilter(watched, event);
}
