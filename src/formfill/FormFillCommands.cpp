#include "FormFillCommands.h"

#include "FormAutoFill.h"
#include "FormCapture.h"
#include "MessageSink.h"
#include "MessageTranslation.h"
#include "PageFormAdapter.h"
#include "QuilletError.h"

#include <QEventLoop>
#include <QPointer>

namespace {

void showError(const QString& text)
{
    MessageSink::current().showMessage(text);
}

QString pageError(const QString& what, const QString& detail)
{
    return translateMessage(what) + QLatin1Char(' ') + translateMessage(detail);
}

template<typename Command>
QString runAndWait(PageFormAdapter& adapter, const FormFillCommands::Context& context, Command command)
{
    struct Wait {
        QEventLoop loop;
        QString status;
        bool done = false;
    };
    auto wait = std::make_shared<Wait>();
    std::weak_ptr<Wait> weak = wait;
    command(adapter, context, [weak](const QString& status) {
        if (const std::shared_ptr<Wait> w = weak.lock()) {
            w->status = status;
            w->done = true;
            w->loop.quit();
        }
    });
    if (!wait->done)
        wait->loop.exec(QEventLoop::ExcludeUserInputEvents);
    return wait->status;
}

} // namespace

void FormFillCommands::saveForm(PageFormAdapter& adapter, const Context& context, Done done)
{
    adapter.takeSnapshot([context, done](const PageFormAdapter::SnapshotResult& result) {
        if (!result.ok) {
            // Without the page's controls nothing is written: an existing map stays as it is.
            showError(pageError(QStringLiteral("The form of the page could not be read."), result.error));
            done(QString());
            return;
        }
        FormCapture capture(context.programDirectory, *context.rows, context.site, context.programName);
        done(capture.saveForm(result.snapshot));
    });
}

void FormFillCommands::autoFillForm(PageFormAdapter& adapter, const Context& context, Done done)
{
    QPointer<PageFormAdapter> target(&adapter);
    adapter.takeSnapshot([target, context, done](const PageFormAdapter::SnapshotResult& result) {
        if (!result.ok) {
            showError(pageError(QStringLiteral("The form of the page could not be read."), result.error));
            done(QString());
            return;
        }
        FormAutoFill::Plan plan;
        try {
            plan = FormAutoFill(context.programDirectory, *context.rows, context.site, context.programName)
                       .plan(result.snapshot);
        } catch (const QuilletError& error) {
            showError(error.text());
            done(QString());
            return;
        }
        if (!plan.haveMap) {
            done(QString());
            return;
        }
        const QString loaded = translateMessage(QStringLiteral("Form loaded"));
        if (plan.changes.isEmpty() || !target) {
            done(loaded);
            return;
        }
        target->applyChanges(
            result.snapshot.documentToken, plan.changes, [done, loaded](const FormApplyResult& applied) {
                if (applied.documentChanged) {
                    done(QString()); // the page was left meanwhile; the new one is filled on its own
                } else if (!applied.ok) {
                    showError(pageError(QStringLiteral("The form of the page could not be filled."), applied.error));
                    done(QString());
                } else {
                    done(loaded);
                }
            });
    });
}

QString FormFillCommands::saveFormAndWait(PageFormAdapter& adapter, const Context& context)
{
    return runAndWait(adapter, context, &FormFillCommands::saveForm);
}

QString FormFillCommands::autoFillAndWait(PageFormAdapter& adapter, const Context& context)
{
    return runAndWait(adapter, context, &FormFillCommands::autoFillForm);
}
