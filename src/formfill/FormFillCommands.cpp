#include "FormFillCommands.h"

#include "DataFieldLookup.h"
#include "FormAutoFill.h"
#include "FormCapture.h"
#include "LateFieldWatch.h"
#include "MessageSink.h"
#include "MessageTranslation.h"
#include "PageFormAdapter.h"
#include "QuilletError.h"

#include <QEventLoop>
#include <QHash>
#include <QPointer>
#include <QSet>

#include <memory>

namespace {

using Outcome = FormFillCommands::Outcome;
using Done = FormFillCommands::Done;

void showError(const QString& text)
{
    MessageSink::current().showMessage(text);
}

// what and detail are texts marked for translation (the page adapter's
// errors, or an error the page's script raised, which stays as it is).
QString pageError(const QString& what, const QString& detail)
{
    return translateMessage(what) + QLatin1Char(' ') + translateMessage(detail); // lng-keys: indirect
}

Outcome withStatus(const QString& status, int unreadFrames = 0)
{
    Outcome outcome;
    outcome.status = status;
    outcome.unreadFrames = unreadFrames;
    return outcome;
}

// The value a change gives its control, in the words of the map and values file.
QString shownValue(const FormChange& change)
{
    switch (change.kind) {
    case FormChange::Kind::Value:
        return change.value;
    case FormChange::Kind::Checked:
        return change.checked ? QStringLiteral("True") : QStringLiteral("False");
    case FormChange::Kind::Selection: {
        QStringList texts;
        for (qsizetype i = 0; i < change.selected.size() && i < change.optionTexts.size(); ++i) {
            if (change.selected.at(i))
                texts.append(change.optionTexts.at(i).trimmed());
        }
        return texts.join(QStringLiteral("; "));
    }
    }
    return QString();
}

// What the tooltip of a marked control says: which value it takes and from
// where. Only the controls the fill would change are marked (so that their
// number is the one the status gives), with those it would empty, and the
// upload fields it offers a file.
QVector<PageFormAdapter::Mark> marksFor(const FormAutoFill::Plan& plan, const FormFillCommands::Context& context,
    const FormSnapshot& snapshot, const FormApplyResult& dryRun)
{
    const DataFieldLookup lookup(*context.rows, context.site);
    QSet<int> changing;
    for (const FormOutcome& outcome : dryRun.outcomes)
        changing.insert(outcome.position);
    QHash<int, const FormControl*> byPosition;
    for (const FormControl& control : snapshot.controls)
        byPosition.insert(control.position, &control);
    QVector<PageFormAdapter::Mark> marks;
    for (const FormClear& clear : dryRun.clears) {
        const FormControl* control = byPosition.value(clear.position, nullptr);
        if (control && changing.contains(clear.position)) {
            marks.append({clear.position, control->tag, control->name,
                translateMessage(QStringLiteral("Cleared: written for %1")).arg(clear.program)});
        }
    }
    for (const FormChange& change : plan.changes) {
        if (!changing.contains(change.position))
            continue;
        const bool fromEntry = !change.dataField.isEmpty() && !lookup.getDataFieldValue(change.dataField).isEmpty();
        const QString source = fromEntry ? change.dataField : translateMessage(QStringLiteral("Site values file"));
        marks.append({change.position, change.tag, change.name, source + QStringLiteral(": ") + shownValue(change)});
    }
    for (const FileOffer& offer : plan.fileOffers) {
        marks.append({offer.position, offer.tag, offer.name,
            offer.dataField + QStringLiteral(": ") + offer.path + QStringLiteral(" (")
                + translateMessage(QStringLiteral("offered when the field is clicked")) + QLatin1Char(')')});
    }
    return marks;
}

// The controls of snapshot that outcomes change, as they would be afterwards.
QVector<FormControl> previewControls(const FormSnapshot& snapshot, const QVector<FormOutcome>& outcomes)
{
    QHash<int, const FormControl*> byPosition;
    for (const FormControl& control : snapshot.controls)
        byPosition.insert(control.position, &control);
    QVector<FormControl> controls;
    for (const FormOutcome& outcome : outcomes) {
        const FormControl* found = byPosition.value(outcome.position, nullptr);
        if (!found)
            continue;
        FormControl control = *found;
        control.value = outcome.value;
        control.checked = outcome.checked;
        for (qsizetype i = 0; i < control.options.size() && i < outcome.selected.size(); ++i)
            control.options[i].selected = outcome.selected.at(i);
        controls.append(control);
    }
    return controls;
}

void saveFormOnPage(PageFormAdapter& adapter, const FormFillCommands::Context& context, Done done)
{
    const QUrl url = adapter.page() ? adapter.page()->url() : QUrl();
    const bool noPage = url.isEmpty() || url.toString() == QLatin1String("about:blank");
    adapter.takeSnapshot([context, done, noPage](const PageFormAdapter::SnapshotResult& result) {
        if (!result.ok) {
            // Without the page's controls nothing is written: an existing map stays as it is.
            showError(pageError(MESSAGE_NOOP(QStringLiteral("The form of the page could not be read.")), result.error));
            done(Outcome());
            return;
        }
        if (!FormCapture::hasForm(result.snapshot)) {
            // Nothing to learn: the map and the values file stay as they are.
            done(withStatus(noPage ? translateMessage(QStringLiteral("No page is loaded; nothing was saved"))
                                   : translateMessage(QStringLiteral("The page holds no form; nothing was saved"))));
            return;
        }
        FormCapture capture(context.programDirectory, *context.rows, context.site, context.programName);
        const QString status = capture.saveForm(result.snapshot);
        done(withStatus(status, status.isEmpty() ? 0 : result.snapshot.unreadFrames));
    });
}

void fillPage(
    PageFormAdapter& adapter, const FormFillCommands::Context& context, FormFillCommands::Command command, Done done)
{
    QPointer<PageFormAdapter> target(&adapter);
    adapter.takeSnapshot([target, context, command, done](const PageFormAdapter::SnapshotResult& result) {
        using Command = FormFillCommands::Command;
        if (!result.ok) {
            showError(pageError(MESSAGE_NOOP(QStringLiteral("The form of the page could not be read.")), result.error));
            done(Outcome());
            return;
        }
        FormAutoFill::Plan plan;
        try {
            plan = FormAutoFill(context.programDirectory, *context.rows, context.site, context.programName)
                       .plan(result.snapshot);
        } catch (const QuilletError& error) {
            showError(error.text());
            done(Outcome());
            return;
        }
        const bool preview = command != Command::AutoFill;
        if (!plan.haveMap) {
            done(withStatus(preview ? translateMessage(QStringLiteral("No form map for this site")) : QString()));
            return;
        }
        const int unread = result.snapshot.unreadFrames;
        const QString loaded = translateMessage(QStringLiteral("Form loaded"));
        const QString token = result.snapshot.documentToken;
        FormApplyOptions options;
        options.program = context.programName;
        if (preview) {
            options.dryRun = true;
        } else {
            options.offers = plan.fileOffers;
            options.lateFieldWindowMs = result.snapshot.hasBody ? context.lateFieldWindowMs : 0;
            // A new fill ends the watch of the one before.
            if (target) {
                while (LateFieldWatch* watch = LateFieldWatch::running(*target))
                    delete watch;
            }
        }
        const bool nothingToDo = plan.changes.isEmpty() && plan.fileOffers.isEmpty() && options.lateFieldWindowMs <= 0;
        if (!target || (nothingToDo && command == Command::AutoFill)) {
            done(withStatus(loaded, unread));
            return;
        }
        const FormSnapshot snapshot = result.snapshot;
        target->applyChanges(token, plan.changes, options,
            [target, context, command, done, loaded, unread, token, plan, snapshot, options](
                const FormApplyResult& applied) {
                if (applied.documentChanged) {
                    done(Outcome()); // the page was left meanwhile; the new one is filled on its own
                    return;
                }
                if (!applied.ok) {
                    showError(pageError(
                        MESSAGE_NOOP(QStringLiteral("The form of the page could not be filled.")), applied.error));
                    done(Outcome());
                    return;
                }
                Outcome outcome = withStatus(loaded, unread);
                outcome.changed = command == Command::AutoFill ? applied.changed : applied.outcomes.size();
                outcome.clears = applied.clears;
                if (command == Command::AutoFill) {
                    if (target && options.lateFieldWindowMs > 0)
                        (new LateFieldWatch(*target, context, token, options.lateFieldWindowMs))->start();
                    done(outcome);
                    return;
                }
                outcome.preview = previewControls(snapshot, applied.outcomes);
                outcome.status = translateMessage(QStringLiteral("Auto fill preview: %1 fields would change"))
                                     .arg(outcome.preview.size());
                if (!plan.fileOffers.isEmpty()) {
                    outcome.status += QStringLiteral("; ")
                        + translateMessage(QStringLiteral("%1 upload fields would be offered a file"))
                              .arg(plan.fileOffers.size());
                }
                if (command != Command::PreviewWithMarks || !target) {
                    done(outcome);
                    return;
                }
                target->markControls(
                    token, marksFor(plan, context, snapshot, applied), [done, outcome](const FormApplyResult& marked) {
                        Outcome shown = outcome;
                        shown.marked = marked.applied;
                        done(shown);
                    });
            });
    });
}

} // namespace

QString FormFillCommands::Outcome::statusLine() const
{
    if (status.isEmpty())
        return status;
    QString line = status;
    // A preview lists what it would empty among its outlines; a fill says what it emptied.
    if (preview.isEmpty()) {
        for (const QString& note : clearedNotes(clears))
            line += QStringLiteral("; ") + note;
    }
    const QString note = unreadFramesNote(unreadFrames);
    if (!note.isEmpty())
        line += QStringLiteral("; ") + note;
    return line;
}

QStringList FormFillCommands::clearedNotes(const QVector<FormClear>& clears)
{
    QStringList programs;
    QHash<QString, int> counts;
    for (const FormClear& clear : clears) {
        if (!counts.contains(clear.program))
            programs.append(clear.program);
        ++counts[clear.program];
    }
    QStringList notes;
    for (const QString& program : programs) {
        const int n = counts.value(program);
        notes.append(n == 1
                ? translateMessage(QStringLiteral("1 field written for %1 was cleared")).arg(program)
                : translateMessage(QStringLiteral("%1 fields written for %2 were cleared")).arg(n).arg(program));
    }
    return notes;
}

QString FormFillCommands::unreadFramesNote(int n)
{
    if (n <= 0)
        return QString();
    if (n == 1)
        return translateMessage(QStringLiteral("1 frame of another site was not read"));
    return translateMessage(QStringLiteral("%1 frames of other sites were not read")).arg(n);
}

void FormFillCommands::run(Command command, PageFormAdapter& adapter, const Context& context, Done done)
{
    if (command == Command::SaveForm)
        saveFormOnPage(adapter, context, std::move(done));
    else
        fillPage(adapter, context, command, std::move(done));
}

FormFillCommands::Outcome FormFillCommands::runAndWait(
    Command command, PageFormAdapter& adapter, const Context& context)
{
    struct Wait {
        QEventLoop loop;
        Outcome outcome;
        bool done = false;
    };
    auto wait = std::make_shared<Wait>();
    std::weak_ptr<Wait> weak = wait;
    run(command, adapter, context, [weak](const Outcome& outcome) {
        if (const std::shared_ptr<Wait> w = weak.lock()) {
            w->outcome = outcome;
            w->done = true;
            w->loop.quit();
        }
    });
    if (!wait->done)
        wait->loop.exec(QEventLoop::ExcludeUserInputEvents);
    return wait->outcome;
}

void FormFillCommands::saveForm(PageFormAdapter& adapter, const Context& context, Done done)
{
    run(Command::SaveForm, adapter, context, std::move(done));
}

void FormFillCommands::autoFillForm(PageFormAdapter& adapter, const Context& context, Done done)
{
    run(Command::AutoFill, adapter, context, std::move(done));
}

QString FormFillCommands::saveFormAndWait(PageFormAdapter& adapter, const Context& context)
{
    return runAndWait(Command::SaveForm, adapter, context).status;
}

QString FormFillCommands::autoFillAndWait(PageFormAdapter& adapter, const Context& context)
{
    return runAndWait(Command::AutoFill, adapter, context).status;
}
