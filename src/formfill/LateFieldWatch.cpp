#include "LateFieldWatch.h"

#include "FormAutoFill.h"
#include "PageFormAdapter.h"
#include "QuilletError.h"

#include <QPointer>

LateFieldWatch::LateFieldWatch(PageFormAdapter& adapter, FormFillContext context, QString documentToken, int windowMs)
    : QObject(&adapter)
    , m_adapter(adapter)
    , m_context(std::move(context))
    , m_token(std::move(documentToken))
    , m_windowMs(qMax(0, windowMs))
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &LateFieldWatch::poll);
}

LateFieldWatch* LateFieldWatch::running(PageFormAdapter& adapter)
{
    const QList<LateFieldWatch*> watches = adapter.findChildren<LateFieldWatch*>(QString(), Qt::FindDirectChildrenOnly);
    for (LateFieldWatch* watch : watches) {
        if (!watch->isFinished())
            return watch;
    }
    return nullptr;
}

void LateFieldWatch::start()
{
    m_clock.start();
    m_timer.start(qMin(PollIntervalMs, m_windowMs));
}

void LateFieldWatch::poll()
{
    if (m_finished)
        return;
    const bool last = m_clock.elapsed() >= m_windowMs;
    QPointer<LateFieldWatch> self(this);
    m_adapter.takeLateControls(m_token, last, [self, last](const PageFormAdapter::SnapshotResult& result) {
        if (!self || self->m_finished)
            return;
        if (!result.ok) {
            self->finish(); // another document, or the page is gone
            return;
        }
        self->handle(result.snapshot, result.watching, last);
    });
}

void LateFieldWatch::handle(const FormSnapshot& controls, bool watching, bool last)
{
    if (controls.controls.isEmpty()) {
        next(watching, last);
        return;
    }
    FormAutoFill::Plan plan;
    try {
        plan = FormAutoFill(m_context.programDirectory, *m_context.rows, m_context.site, m_context.programName)
                   .plan(controls);
    } catch (const QuilletError&) {
        // The map was readable for the fill and is not now: the fill said all there is to say.
        finish();
        return;
    }
    if (plan.changes.isEmpty() && plan.fileOffers.isEmpty()) {
        next(watching, last);
        return;
    }
    FormApplyOptions options;
    options.lateFields = true;
    options.program = m_context.programName;
    options.offers = plan.fileOffers;
    QPointer<LateFieldWatch> self(this);
    m_adapter.applyChanges(m_token, plan.changes, options, [self, watching, last](const FormApplyResult& applied) {
        if (!self || self->m_finished)
            return;
        if (applied.documentChanged || !applied.ok) {
            self->finish();
            return;
        }
        self->m_filled += applied.applied;
        self->m_userEdited += applied.userEdited;
        self->next(watching, last);
    });
}

void LateFieldWatch::next(bool watching, bool last)
{
    if (last || !watching) {
        finish();
        return;
    }
    const qint64 remaining = m_windowMs - m_clock.elapsed();
    m_timer.start(static_cast<int>(qBound<qint64>(0, remaining, qint64(PollIntervalMs))));
}

void LateFieldWatch::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    m_timer.stop();
    Q_EMIT finished();
    deleteLater();
}
