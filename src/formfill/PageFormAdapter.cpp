#include "PageFormAdapter.h"

#include "MessageTranslation.h"
#include "UploadChooserPage.h"

#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTimer>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

#include <memory>

namespace {

// The scripts that run in the page, compiled in as resources. The form
// library is the files of one concern each, joined into one expression whose
// value is the set of operations; every call evaluates it and picks one.
QString pageScript(const QString& name)
{
    QFile file(QStringLiteral(":/formfill/page/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("The page script %s is missing from the program's resources", qPrintable(name));
    return QString::fromUtf8(file.readAll());
}

const QString& formLibrary()
{
    static const QString library = QStringLiteral("(function () {\n'use strict';\nvar api = {};\n")
        + pageScript(QStringLiteral("common.js")) + pageScript(QStringLiteral("read.js"))
        + pageScript(QStringLiteral("apply.js")) + pageScript(QStringLiteral("watch.js"))
        + QStringLiteral("return api;\n})()");
    return library;
}

const char* const kFrameWatcherName = "quillet-frame-watcher";

QJsonObject answerObject(const QVariant& answer, QString* error)
{
    if (answer.typeId() != QMetaType::QString) {
        *error = MESSAGE_NOOP(QStringLiteral("The page gave no answer."));
        return QJsonObject();
    }
    QJsonParseError parseError;
    const QJsonDocument json = QJsonDocument::fromJson(answer.toString().toUtf8(), &parseError);
    if (parseError.error != QJsonParseError::NoError || !json.isObject()) {
        *error = MESSAGE_NOOP(QStringLiteral("The page gave an answer that cannot be read."));
        return QJsonObject();
    }
    return json.object();
}

// A JSON text is a JavaScript literal: data reaches the scripts as values, never as code.
QString literal(const QJsonValue& value)
{
    const QByteArray array = QJsonDocument(QJsonArray {value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

QString call(const QString& operation, const QStringList& arguments = {})
{
    return formLibrary() + QLatin1Char('.') + operation + QLatin1Char('(') + arguments.join(QLatin1Char(','))
        + QStringLiteral(");");
}

QJsonArray boolArray(const QVector<bool>& list)
{
    QJsonArray array;
    for (const bool b : list)
        array.append(b);
    return array;
}

} // namespace

PageFormAdapter::PageFormAdapter(QWebEnginePage* page, QObject* parent)
    : QObject(parent)
    , m_page(page)
    , m_uploadKey(QString::number(QRandomGenerator::system()->generate64(), 36)
          + QString::number(QRandomGenerator::system()->generate64(), 36))
{
    if (!m_page)
        return;
    if (auto* chooserPage = qobject_cast<UploadChooserPage*>(m_page.data()))
        chooserPage->setOfferSource(this);
    QWebEngineScriptCollection& scripts = m_page->scripts();
    const QString name = QString::fromLatin1(kFrameWatcherName);
    if (!scripts.find(name).isEmpty())
        return;
    QWebEngineScript watcher;
    watcher.setName(name);
    watcher.setWorldId(QWebEngineScript::ApplicationWorld);
    watcher.setInjectionPoint(QWebEngineScript::DocumentCreation);
    watcher.setRunsOnSubFrames(true);
    watcher.setSourceCode(frameWatcherScript());
    scripts.insert(watcher);
}

QString PageFormAdapter::snapshotScript()
{
    return call(QStringLiteral("snapshot"));
}

QString PageFormAdapter::frameWatcherScript()
{
    static const QString script = pageScript(QStringLiteral("frame-watcher.js"));
    return script;
}

QString PageFormAdapter::applyScript(
    const QString& documentToken, const QVector<FormChange>& changes, const FormApplyOptions& options)
{
    QJsonArray list;
    for (const FormChange& change : changes) {
        QJsonObject item;
        item.insert(QStringLiteral("p"), change.position);
        item.insert(QStringLiteral("tag"), change.tag);
        item.insert(QStringLiteral("n"), change.name);
        switch (change.kind) {
        case FormChange::Kind::Value:
            item.insert(QStringLiteral("k"), QStringLiteral("v"));
            item.insert(QStringLiteral("v"), change.value);
            break;
        case FormChange::Kind::Checked:
            item.insert(QStringLiteral("k"), QStringLiteral("c"));
            item.insert(QStringLiteral("c"), change.checked);
            break;
        case FormChange::Kind::Selection:
            item.insert(QStringLiteral("k"), QStringLiteral("s"));
            item.insert(QStringLiteral("s"), boolArray(change.selected));
            item.insert(QStringLiteral("t"), QJsonArray::fromStringList(change.optionTexts));
            item.insert(QStringLiteral("w"), QJsonArray::fromStringList(change.fields));
            break;
        }
        list.append(item);
    }
    QJsonArray offers;
    for (const FileOffer& offer : options.offers) {
        offers.append(QJsonObject {{QStringLiteral("p"), offer.position}, {QStringLiteral("tag"), offer.tag},
            {QStringLiteral("n"), offer.name}, {QStringLiteral("path"), offer.path}});
    }
    const QJsonObject settings {{QStringLiteral("dry"), options.dryRun}, {QStringLiteral("late"), options.lateFields},
        {QStringLiteral("watch"), qMax(0, options.lateFieldWindowMs)}, {QStringLiteral("offers"), offers},
        {QStringLiteral("key"), options.uploadReportKey}, {QStringLiteral("program"), options.program}};
    return call(QStringLiteral("apply"), {literal(documentToken), literal(list), literal(settings)});
}

PageFormAdapter::SnapshotResult PageFormAdapter::readSnapshot(const QVariant& answer)
{
    SnapshotResult result;
    const QJsonObject object = answerObject(answer, &result.error);
    if (!result.error.isEmpty())
        return result;
    FormSnapshot& snapshot = result.snapshot;
    snapshot.hasDocument = object.value(QStringLiteral("hasDocument")).toBool();
    snapshot.hasBody = object.value(QStringLiteral("hasBody")).toBool();
    snapshot.documentToken = object.value(QStringLiteral("token")).toString();
    snapshot.unreadFrames = qMax(0, object.value(QStringLiteral("unreadFrames")).toInt());
    result.watching = object.value(QStringLiteral("watching")).toBool();
    const QJsonArray controls = object.value(QStringLiteral("controls")).toArray();
    snapshot.controls.reserve(controls.size());
    for (const QJsonValue& item : controls) {
        const QJsonObject c = item.toObject();
        FormControl control;
        control.position = c.value(QStringLiteral("p")).toInt(-1);
        if (control.position < 0)
            continue;
        control.tag = c.value(QStringLiteral("tag")).toString();
        control.type = c.value(QStringLiteral("type")).toString();
        control.name = c.value(QStringLiteral("name")).toString();
        control.id = c.value(QStringLiteral("id")).toString();
        control.value = c.value(QStringLiteral("value")).toString();
        control.checked = c.value(QStringLiteral("checked")).toBool();
        const QJsonArray options = c.value(QStringLiteral("options")).toArray();
        control.options.reserve(options.size());
        for (const QJsonValue& option : options) {
            const QJsonArray pair = option.toArray();
            control.options.append({pair.at(0).toString(), pair.at(1).toBool()});
        }
        for (const QJsonValue& file : c.value(QStringLiteral("files")).toArray())
            control.files.append(file.toString());
        snapshot.controls.append(control);
    }
    result.documentChanged = object.value(QStringLiteral("documentChanged")).toBool();
    if (result.documentChanged) {
        snapshot.controls.clear();
        result.error = QStringLiteral("The page shows another document now.");
        return result;
    }
    result.ok = true;
    return result;
}

FormApplyResult PageFormAdapter::readApplyResult(const QVariant& answer)
{
    FormApplyResult result;
    const QJsonObject object = answerObject(answer, &result.error);
    if (!result.error.isEmpty())
        return result;
    result.ok = object.value(QStringLiteral("ok")).toBool();
    result.documentChanged = object.value(QStringLiteral("documentChanged")).toBool();
    result.applied = object.value(QStringLiteral("applied")).toInt();
    result.changed = object.value(QStringLiteral("changed")).toInt();
    result.skipped = object.value(QStringLiteral("skipped")).toInt();
    result.userEdited = object.value(QStringLiteral("userEdited")).toInt();
    result.offered = object.value(QStringLiteral("offered")).toInt();
    result.cleared = object.value(QStringLiteral("cleared")).toInt();
    for (const QJsonValue& item : object.value(QStringLiteral("clears")).toArray()) {
        const QJsonObject c = item.toObject();
        result.clears.append({c.value(QStringLiteral("p")).toInt(-1), c.value(QStringLiteral("program")).toString()});
    }
    result.error = object.value(QStringLiteral("error")).toString();
    for (const QJsonValue& item : object.value(QStringLiteral("outcomes")).toArray()) {
        const QJsonObject o = item.toObject();
        FormOutcome outcome;
        outcome.position = o.value(QStringLiteral("p")).toInt(-1);
        if (outcome.position < 0)
            continue;
        outcome.value = o.value(QStringLiteral("v")).toString();
        outcome.checked = o.value(QStringLiteral("c")).toBool();
        for (const QJsonValue& s : o.value(QStringLiteral("s")).toArray())
            outcome.selected.append(s.toBool());
        result.outcomes.append(outcome);
    }
    return result;
}

void PageFormAdapter::run(const QString& script, std::function<void(const QVariant&)> callback)
{
    if (!m_page) {
        callback(QVariant());
        return;
    }
    // A page that goes away answers its pending scripts with an empty result
    // as it is destroyed. The one who asked owns this adapter: when the
    // adapter is gone, the answer is dropped rather than delivered to an
    // owner that is being taken down.
    const QPointer<PageFormAdapter> self(this);
    m_page->runJavaScript(script, QWebEngineScript::ApplicationWorld, [self, callback](const QVariant& answer) {
        if (self)
            callback(answer);
    });
}

void PageFormAdapter::takeSnapshot(SnapshotCallback callback)
{
    run(snapshotScript(), [callback](const QVariant& answer) { callback(readSnapshot(answer)); });
}

void PageFormAdapter::applyChanges(
    const QString& documentToken, const QVector<FormChange>& changes, ApplyCallback callback)
{
    applyChanges(documentToken, changes, FormApplyOptions(), std::move(callback));
}

void PageFormAdapter::applyChanges(const QString& documentToken, const QVector<FormChange>& changes,
    const FormApplyOptions& options, ApplyCallback callback)
{
    run(applyScript(documentToken, changes, withUploadKey(options)),
        [callback](const QVariant& answer) { callback(readApplyResult(answer)); });
}

FormApplyOptions PageFormAdapter::withUploadKey(const FormApplyOptions& options)
{
    FormApplyOptions keyed = options;
    keyed.uploadReportKey = m_uploadKey;
    for (const FileOffer& offer : options.offers)
        m_offeredFiles.insert(offer.path);
    return keyed;
}

bool PageFormAdapter::readUploadReport(const QString& message, QString* offeredFile) const
{
    const QString marker = QStringLiteral("\u2060quillet-upload ") + m_uploadKey + QLatin1Char(' ');
    if (!message.startsWith(marker))
        return false;
    const QString path = message.mid(marker.size());
    // Only a file that a fill of this adapter offered: nothing else can be pre-selected.
    *offeredFile = m_offeredFiles.contains(path) ? path : QString();
    return true;
}

bool PageFormAdapter::hasOfferedFiles() const
{
    return !m_offeredFiles.isEmpty();
}

void PageFormAdapter::takeLateControls(const QString& documentToken, bool finish, SnapshotCallback callback)
{
    run(call(QStringLiteral("lateControls"),
            {literal(documentToken), finish ? QStringLiteral("true") : QStringLiteral("false")}),
        [callback](const QVariant& answer) { callback(readSnapshot(answer)); });
}

void PageFormAdapter::markControls(const QString& documentToken, const QVector<Mark>& marks, ApplyCallback callback)
{
    QJsonArray list;
    for (const Mark& mark : marks) {
        list.append(QJsonObject {{QStringLiteral("p"), mark.position}, {QStringLiteral("tag"), mark.tag},
            {QStringLiteral("n"), mark.name}, {QStringLiteral("label"), mark.label}});
    }
    run(call(QStringLiteral("mark"), {literal(documentToken), literal(list)}),
        [callback](const QVariant& answer) { callback(readApplyResult(answer)); });
}

void PageFormAdapter::clearMarks(ApplyCallback callback)
{
    run(call(QStringLiteral("unmark")), [callback](const QVariant& answer) { callback(readApplyResult(answer)); });
}

QVariant PageFormAdapter::runAndWait(const QString& script, int timeoutMs, bool* answered)
{
    // Shared with the callback, which may come after the wait has given up.
    struct Wait {
        QEventLoop loop;
        QVariant answer;
        bool done = false;
    };
    auto wait = std::make_shared<Wait>();
    std::weak_ptr<Wait> weak = wait;
    run(script, [weak](const QVariant& answer) {
        if (const std::shared_ptr<Wait> w = weak.lock()) {
            w->answer = answer;
            w->done = true;
            w->loop.quit();
        }
    });
    if (!wait->done) {
        QTimer timer;
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, &wait->loop, &QEventLoop::quit);
        timer.start(timeoutMs);
        wait->loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    *answered = wait->done;
    return wait->answer;
}

PageFormAdapter::SnapshotResult PageFormAdapter::snapshot(int timeoutMs)
{
    bool answered = false;
    const QVariant answer = runAndWait(snapshotScript(), timeoutMs, &answered);
    if (!answered) {
        SnapshotResult result;
        result.error = MESSAGE_NOOP(QStringLiteral("The page did not answer in time."));
        return result;
    }
    return readSnapshot(answer);
}

FormApplyResult PageFormAdapter::applyAndWait(const QString& script, int timeoutMs)
{
    bool answered = false;
    const QVariant answer = runAndWait(script, timeoutMs, &answered);
    if (!answered) {
        FormApplyResult result;
        result.error = MESSAGE_NOOP(QStringLiteral("The page did not answer in time."));
        return result;
    }
    return readApplyResult(answer);
}

FormApplyResult PageFormAdapter::apply(const QString& documentToken, const QVector<FormChange>& changes, int timeoutMs)
{
    return applyAndWait(applyScript(documentToken, changes), timeoutMs);
}

FormApplyResult PageFormAdapter::apply(
    const QString& documentToken, const QVector<FormChange>& changes, const FormApplyOptions& options, int timeoutMs)
{
    return applyAndWait(applyScript(documentToken, changes, options), timeoutMs);
}

void PageFormAdapter::notePaste(const QString& program)
{
    if (!program.isEmpty())
        run(call(QStringLiteral("notePaste"), {literal(program)}), [](const QVariant&) {});
}

QString PageFormAdapter::offeredFileForChooser(int timeoutMs)
{
    bool answered = false;
    const QVariant answer = runAndWait(call(QStringLiteral("offeredFile")), timeoutMs, &answered);
    return answered && answer.typeId() == QMetaType::QString ? answer.toString() : QString();
}
