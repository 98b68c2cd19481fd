#include "PageFormAdapter.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <QWebEngineScript>

#include <memory>

namespace {

// Runs in the application world: the page's own scripts cannot have replaced
// the document's methods it calls, and cannot see what it keeps on window.
// The elements of the snapshot are kept (by position) with a token naming the
// document, so that the changes reach the very elements that were read.
const char* const kSnapshotScript = R"JS(
(function () {
    'use strict';
    var doc = window.document;
    var result = { hasDocument: !!doc, hasBody: !!(doc && doc.body), token: '', controls: [] };
    if (!doc)
        return JSON.stringify(result);
    var state = window.__quilletForms;
    if (!state || state.document !== doc) {
        state = { document: doc, token: Date.now().toString(36) + '-' + Math.random().toString(36).slice(2) };
        window.__quilletForms = state;
    }
    state.elements = new Map();
    result.token = state.token;
    function text(v) { return v === undefined || v === null ? '' : String(v); }
    var all = doc.getElementsByTagName('*');
    var n = all.length;
    for (var i = 0; i < n; ++i) {
        var el = all[i];
        var tag = text(el.tagName).toUpperCase();
        if (tag !== 'INPUT' && tag !== 'TEXTAREA' && tag !== 'SELECT' && tag !== 'CHECKBOX' && tag !== 'RADIO')
            continue;
        var c = {
            p: i,
            tag: tag,
            type: typeof el.type === 'string' ? el.type : text(el.getAttribute('type')),
            name: typeof el.name === 'string' ? el.name : text(el.getAttribute('name')),
            value: typeof el.value === 'string' ? el.value : text(el.getAttribute('value')),
            checked: el.checked === true
        };
        if (tag === 'SELECT' && el.options) {
            c.options = [];
            for (var j = 0; j < el.options.length; ++j)
                c.options.push([text(el.options[j].text), el.options[j].selected === true]);
        }
        state.elements.set(i, el);
        result.controls.push(c);
    }
    return JSON.stringify(result);
})()
)JS";

const char* const kApplyScript = R"JS(
(function (token, changes) {
    'use strict';
    var out = { ok: true, documentChanged: false, applied: 0, changed: 0, skipped: 0, error: '' };
    var state = window.__quilletForms;
    if (!state || state.document !== window.document || state.token !== token || !state.elements) {
        out.documentChanged = true;
        return JSON.stringify(out);
    }
    function text(v) { return v === undefined || v === null ? '' : String(v); }
    function nameOf(el) { return typeof el.name === 'string' ? el.name : text(el.getAttribute('name')); }
    function notify(el) {
        el.dispatchEvent(new Event('input', { bubbles: true }));
        el.dispatchEvent(new Event('change', { bubbles: true }));
    }
    function applyValue(el, ch) {
        if (typeof el.value !== 'string')
            return false;
        if (el.value === ch.v)
            return true;
        var old = el.value;
        el.value = ch.v;
        if (el.value === '' && ch.v !== '') {
            el.value = old; // a control that refuses the text (a number box given words) keeps its own
            return false;
        }
        ++out.changed;
        notify(el);
        return true;
    }
    function applyChecked(el, ch) {
        if (typeof el.checked !== 'boolean')
            return false;
        if (el.checked !== ch.c) {
            el.checked = ch.c;
            ++out.changed;
            notify(el);
        }
        return true;
    }
    function applySelection(el, ch) {
        if (!(el instanceof HTMLSelectElement))
            return false;
        var opts = el.options;
        if (opts.length !== ch.t.length || ch.s.length !== ch.t.length)
            return false;
        var before = [];
        for (var i = 0; i < opts.length; ++i) {
            if (text(opts[i].text) !== ch.t[i])
                return false; // the list was refilled since it was read
            before.push(opts[i].selected);
        }
        if (el.multiple) {
            for (var k = 0; k < opts.length; ++k)
                opts[k].selected = ch.s[k];
        } else {
            el.selectedIndex = ch.s.lastIndexOf(true);
        }
        for (var m = 0; m < opts.length; ++m) {
            if (opts[m].selected !== before[m]) {
                ++out.changed;
                notify(el);
                break;
            }
        }
        return true;
    }
    for (var c = 0; c < changes.length; ++c) {
        var ch = changes[c];
        var el = state.elements.get(ch.p);
        if (!el || !el.isConnected || text(el.tagName).toUpperCase() !== ch.tag || nameOf(el) !== ch.n) {
            ++out.skipped;
            continue;
        }
        try {
            var done = ch.k === 'v' ? applyValue(el, ch) : ch.k === 'c' ? applyChecked(el, ch) : applySelection(el, ch);
            if (done)
                ++out.applied;
            else
                ++out.skipped;
        } catch (e) {
            out.ok = false;
            out.error = text(e && e.message ? e.message : e);
            break;
        }
    }
    return JSON.stringify(out);
})
)JS";

QJsonObject answerObject(const QVariant& answer, QString* error)
{
    if (answer.typeId() != QMetaType::QString) {
        *error = QStringLiteral("The page gave no answer.");
        return QJsonObject();
    }
    QJsonParseError parseError;
    const QJsonDocument json = QJsonDocument::fromJson(answer.toString().toUtf8(), &parseError);
    if (parseError.error != QJsonParseError::NoError || !json.isObject()) {
        *error = QStringLiteral("The page gave an answer that cannot be read.");
        return QJsonObject();
    }
    return json.object();
}

} // namespace

PageFormAdapter::PageFormAdapter(QWebEnginePage* page, QObject* parent)
    : QObject(parent)
    , m_page(page)
{ }

QString PageFormAdapter::snapshotScript()
{
    return QString::fromUtf8(kSnapshotScript);
}

QString PageFormAdapter::applyScript(const QString& documentToken, const QVector<FormChange>& changes)
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
        case FormChange::Kind::Selection: {
            item.insert(QStringLiteral("k"), QStringLiteral("s"));
            QJsonArray selected;
            for (const bool s : change.selected)
                selected.append(s);
            item.insert(QStringLiteral("s"), selected);
            item.insert(QStringLiteral("t"), QJsonArray::fromStringList(change.optionTexts));
            break;
        }
        }
        list.append(item);
    }
    // JSON texts are JavaScript literals: the data reaches the script as values, never as code.
    const QByteArray tokenLiteral = QJsonDocument(QJsonArray {documentToken}).toJson(QJsonDocument::Compact);
    const QString tokenText = QString::fromUtf8(tokenLiteral.mid(1, tokenLiteral.size() - 2));
    return QString::fromUtf8(kApplyScript) + QLatin1Char('(') + tokenText + QLatin1Char(',')
        + QString::fromUtf8(QJsonDocument(list).toJson(QJsonDocument::Compact)) + QStringLiteral(");");
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
        control.value = c.value(QStringLiteral("value")).toString();
        control.checked = c.value(QStringLiteral("checked")).toBool();
        const QJsonArray options = c.value(QStringLiteral("options")).toArray();
        control.options.reserve(options.size());
        for (const QJsonValue& option : options) {
            const QJsonArray pair = option.toArray();
            control.options.append({pair.at(0).toString(), pair.at(1).toBool()});
        }
        snapshot.controls.append(control);
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
    result.error = object.value(QStringLiteral("error")).toString();
    return result;
}

void PageFormAdapter::run(const QString& script, std::function<void(const QVariant&)> callback)
{
    if (!m_page) {
        callback(QVariant());
        return;
    }
    m_page->runJavaScript(script, QWebEngineScript::ApplicationWorld, callback);
}

void PageFormAdapter::takeSnapshot(SnapshotCallback callback)
{
    run(snapshotScript(), [callback](const QVariant& answer) { callback(readSnapshot(answer)); });
}

void PageFormAdapter::applyChanges(
    const QString& documentToken, const QVector<FormChange>& changes, ApplyCallback callback)
{
    run(applyScript(documentToken, changes), [callback](const QVariant& answer) { callback(readApplyResult(answer)); });
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
        result.error = QStringLiteral("The page did not answer in time.");
        return result;
    }
    return readSnapshot(answer);
}

FormApplyResult PageFormAdapter::apply(const QString& documentToken, const QVector<FormChange>& changes, int timeoutMs)
{
    bool answered = false;
    const QVariant answer = runAndWait(applyScript(documentToken, changes), timeoutMs, &answered);
    if (!answered) {
        FormApplyResult result;
        result.error = QStringLiteral("The page did not answer in time.");
        return result;
    }
    return readApplyResult(answer);
}
