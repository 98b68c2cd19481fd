#include "PageFormAdapter.h"

#include "MessageTranslation.h"
#include "UploadChooserPage.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTimer>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

#include <memory>

namespace {

// The operations on the page, one expression whose value is the set of
// operations; every call evaluates it and picks one. Runs in the application
// world: the page's own scripts can neither see what it keeps on window nor
// replace the document's methods and accessors it calls. The elements of a
// snapshot are kept (by position) with a token naming the top-level document,
// so that the changes reach the very elements that were read.
const char* const kLibrary = R"JS(
(function () {
    'use strict';
    // What makes a frame of another site count as holding a form.
    var FORM_SELECTOR = 'form, input:not([type=hidden]), select, textarea';

    function text(v) { return v === undefined || v === null ? '' : String(v); }
    function tagOf(el) { return text(el.tagName).toUpperCase(); }
    function nameOf(el) { return typeof el.name === 'string' ? el.name : text(el.getAttribute('name')); }
    function typeOf(el) { return typeof el.type === 'string' ? el.type : text(el.getAttribute('type')); }
    function isCandidate(tag) {
        return tag === 'INPUT' || tag === 'TEXTAREA' || tag === 'SELECT' || tag === 'CHECKBOX' || tag === 'RADIO';
    }
    function targetOf(event) {
        var path = event.composedPath();
        return path.length ? path[0] : event.target;
    }

    // The engine's own accessors as this world sees them. A value tracker that
    // a page's framework puts on an element is not called, so the framework
    // takes the change for the user's when the events arrive.
    function accessor(proto, name) { return Object.getOwnPropertyDescriptor(proto, name); }
    var INPUT_VALUE = accessor(HTMLInputElement.prototype, 'value');
    var AREA_VALUE = accessor(HTMLTextAreaElement.prototype, 'value');
    var CHECKED = accessor(HTMLInputElement.prototype, 'checked');
    var SELECTED_INDEX = accessor(HTMLSelectElement.prototype, 'selectedIndex');
    var OPTION_SELECTED = accessor(HTMLOptionElement.prototype, 'selected');
    var CLICK = HTMLElement.prototype.click;
    function valueAccessor(el) { return tagOf(el) === 'TEXTAREA' ? AREA_VALUE : INPUT_VALUE; }

    // An element of the shown document, or of a frame document that is still
    // the one its frame shows.
    function isLive(el) {
        if (!el.isConnected)
            return false;
        var doc = el.ownerDocument;
        if (doc === window.document)
            return true;
        var view = doc && doc.defaultView;
        return !!view && view.document === doc;
    }

    function frameDocument(frame) {
        try { return frame.contentDocument || null; } catch (e) { return null; }
    }
    // A frame is read when its document has the origin of the document holding
    // it. Local files are each an origin of their own, as browsers treat them
    // by default, whatever access the engine grants between them.
    function sameSite(doc, sub) {
        try {
            var a = doc.defaultView, b = sub.defaultView;
            if (!a || !b)
                return false;
            var origin = text(a.origin);
            return origin === text(b.origin) && origin !== '' && origin !== 'null' && origin.indexOf('file:') !== 0;
        } catch (e) {
            return false;
        }
    }
    function holdsForm(frame, sub) {
        try {
            if (sub)
                return !!sub.querySelector(FORM_SELECTOR);
            var view = frame.ownerDocument.defaultView;
            var watch = view && view.__quilletFrameWatch;
            return !!(watch && watch.holdsForm(frame.contentWindow));
        } catch (e) {
            return false;
        }
    }

    // Walks start (a document, a shadow root or an element, itself first) in
    // document order, entering open shadow roots right after their host and
    // the documents of frames of the same site right after their frame
    // element. Without recursion, so no depth of nesting can exhaust the stack.
    // on.element(el) sees every element; on.root(root) every document and
    // shadow root entered; on.frame(frame, entered, sub) every frame element.
    function walk(start, on) {
        var stack = [];
        function enter(root) {
            if (on.root)
                on.root(root);
            stack.push({ list: root.getElementsByTagName ? root.getElementsByTagName('*') : root.querySelectorAll('*'), i: 0 });
        }
        function step(el) {
            on.element(el);
            var shadow = el.shadowRoot;
            if (shadow) {
                enter(shadow);
                return;
            }
            var tag = tagOf(el);
            if (tag === 'IFRAME' || tag === 'FRAME') {
                var sub = frameDocument(el);
                var entered = !!sub && sameSite(el.ownerDocument, sub);
                if (on.frame)
                    on.frame(el, entered, sub);
                if (entered)
                    enter(sub);
            }
        }
        if (start.nodeType === 1) {
            stack.push({ list: start.getElementsByTagName('*'), i: 0 });
            step(start);
        } else {
            enter(start);
        }
        while (stack.length) {
            var top = stack[stack.length - 1];
            if (top.i >= top.list.length)
                stack.pop();
            else
                step(top.list[top.i++]);
        }
    }

    function describe(el, position, tag) {
        var c = {
            p: position,
            tag: tag,
            type: typeOf(el),
            name: nameOf(el),
            value: typeof el.value === 'string' ? el.value : text(el.getAttribute('value')),
            checked: el.checked === true
        };
        if (tag === 'SELECT' && el.options) {
            c.options = [];
            for (var j = 0; j < el.options.length; ++j)
                c.options.push([text(el.options[j].text), el.options[j].selected === true]);
        }
        if (tag === 'INPUT' && c.type === 'file' && el.files) {
            c.files = [];
            for (var k = 0; k < el.files.length; ++k)
                c.files.push(text(el.files[k].name));
        }
        return c;
    }

    function currentState(create) {
        var doc = window.document;
        var state = window.__quilletForms;
        if (!state || state.document !== doc) {
            if (!create || !doc)
                return null;
            state = { document: doc, token: Date.now().toString(36) + '-' + Math.random().toString(36).slice(2) };
            window.__quilletForms = state;
        }
        return state;
    }

    function snapshot() {
        var doc = window.document;
        var result = { hasDocument: !!doc, hasBody: !!(doc && doc.body), token: '', controls: [], unreadFrames: 0 };
        if (!doc)
            return JSON.stringify(result);
        var state = currentState(true);
        var elements = new Map(), roots = [], frames = [], hosts = [];
        var position = 0;
        result.token = state.token;
        walk(doc, {
            element: function (el) {
                var p = position++;
                var tag = tagOf(el);
                if (isCandidate(tag)) {
                    elements.set(p, el);
                    result.controls.push(describe(el, p, tag));
                } else if (el.localName.indexOf('-') > 0 && !el.shadowRoot) {
                    hosts.push(el); // a custom element may be given its shadow root later
                }
            },
            root: function (root) { roots.push(root); },
            frame: function (frame, entered, sub) {
                frames.push(frame);
                if (!entered && holdsForm(frame, sub))
                    ++result.unreadFrames;
            }
        });
        state.elements = elements;
        state.roots = roots;
        state.frames = frames;
        state.hosts = hosts;
        return JSON.stringify(result);
    }

    function notify(el) {
        el.dispatchEvent(new Event('input', { bubbles: true, composed: true }));
        el.dispatchEvent(new Event('change', { bubbles: true }));
    }

    function selectionOf(el) {
        var opts = el.options, now = [];
        for (var i = 0; i < opts.length; ++i)
            now.push(opts[i].selected === true);
        return now;
    }
    function sameList(a, b) {
        if (a.length !== b.length)
            return false;
        for (var i = 0; i < a.length; ++i) {
            if (a[i] !== b[i])
                return false;
        }
        return true;
    }
    // What a single-choice list keeps of a wanted selection: its last option.
    function singleChoice(wanted) {
        var result = wanted.map(function () { return false; });
        var last = wanted.lastIndexOf(true);
        if (last >= 0)
            result[last] = true;
        return result;
    }

    // The page itself: values go in through the engine's accessors.
    function liveOps(state, out) {
        return {
            value: function (el) { return valueAccessor(el).get.call(el); },
            setValue: function (el, v) {
                var a = valueAccessor(el);
                a.set.call(el, v);
                return a.get.call(el);
            },
            checked: function (el) { return CHECKED.get.call(el); },
            // The state change a user's click makes, which the page's click
            // handlers and value trackers see and after which the engine sends
            // input and change; a radio button cannot be cleared by a click.
            check: function (el, on) {
                if (on || typeOf(el) === 'checkbox') {
                    CLICK.call(el);
                    if (CHECKED.get.call(el) === on)
                        return;
                }
                CHECKED.set.call(el, on); // the page refused the click: the state is set as asked
                notify(el);
            },
            selection: function (el) { return selectionOf(el); },
            select: function (el, wanted) {
                if (el.multiple) {
                    for (var k = 0; k < el.options.length; ++k)
                        OPTION_SELECTED.set.call(el.options[k], wanted[k]);
                } else {
                    SELECTED_INDEX.set.call(el, wanted.lastIndexOf(true));
                }
            },
            notify: notify,
            done: function (el) { if (state.filled) state.filled.add(el); }
        };
    }

    // A dry run: the states the page would take are kept aside, and a value
    // is tried on a copy of the control in a document of its own, which the
    // page never sees.
    function dryOps(state) {
        var values = new Map(), checks = new Map(), selections = new Map();
        var scratch = null, radios = null;
        function copyOf(el) {
            if (!scratch)
                scratch = document.implementation.createHTMLDocument('');
            if (tagOf(el) === 'TEXTAREA')
                return scratch.createElement('textarea');
            var copy = scratch.createElement('input');
            ['type', 'multiple', 'min', 'max', 'step'].forEach(function (name) {
                if (el.hasAttribute(name))
                    copy.setAttribute(name, el.getAttribute(name));
            });
            return copy;
        }
        function groupOf(el) {
            if (!radios) {
                radios = new Map();
                state.elements.forEach(function (other) {
                    if (tagOf(other) !== 'INPUT' || typeOf(other) !== 'radio' || !nameOf(other))
                        return;
                    var list = radios.get(nameOf(other));
                    if (!list)
                        radios.set(nameOf(other), list = []);
                    list.push(other);
                });
            }
            var name = nameOf(el);
            var root = el.getRootNode();
            return (name && radios.get(name) || []).filter(function (other) {
                return other !== el && other.form === el.form && other.getRootNode() === root;
            });
        }
        var ops = {
            value: function (el) { return values.has(el) ? values.get(el) : valueAccessor(el).get.call(el); },
            setValue: function (el, v) {
                var copy = copyOf(el);
                var a = valueAccessor(el);
                a.set.call(copy, v);
                var now = a.get.call(copy);
                values.set(el, now);
                return now;
            },
            checked: function (el) { return checks.has(el) ? checks.get(el) : CHECKED.get.call(el); },
            check: function (el, on) {
                checks.set(el, on);
                if (on && typeOf(el) === 'radio') {
                    groupOf(el).forEach(function (other) { checks.set(other, false); });
                }
            },
            selection: function (el) { return selections.has(el) ? selections.get(el).slice() : selectionOf(el); },
            select: function (el, wanted) { selections.set(el, el.multiple ? wanted.slice() : singleChoice(wanted)); },
            notify: function () { },
            done: function () { },
            // Every control whose state would differ from the one it holds now.
            outcomes: function () {
                var positions = new Map();
                state.elements.forEach(function (el, p) { positions.set(el, p); });
                var list = [];
                function add(el) {
                    if (!positions.has(el) || list.some(function (o) { return o.el === el; }))
                        return;
                    var o = { el: el, p: positions.get(el), v: '', c: false, s: [] };
                    var tag = tagOf(el), differs = false;
                    if (tag === 'SELECT') {
                        o.s = ops.selection(el);
                        differs = !sameList(o.s, selectionOf(el));
                        var first = o.s.indexOf(true);
                        o.v = first >= 0 ? text(el.options[first].value) : '';
                    } else {
                        o.v = tag === 'INPUT' || tag === 'TEXTAREA' ? ops.value(el) : text(el.value);
                        o.c = tag === 'INPUT' ? ops.checked(el) : false;
                        differs = o.v !== (tag === 'INPUT' || tag === 'TEXTAREA' ? valueAccessor(el).get.call(el) : text(el.value))
                            || (tag === 'INPUT' && o.c !== CHECKED.get.call(el));
                    }
                    if (differs)
                        list.push(o);
                }
                values.forEach(function (v, el) { add(el); });
                checks.forEach(function (c, el) { add(el); });
                selections.forEach(function (s, el) { add(el); });
                list.sort(function (a, b) { return a.p - b.p; });
                return list.map(function (o) { return { p: o.p, v: o.v, c: o.c, s: o.s }; });
            }
        };
        return ops;
    }

    function applyValue(ops, el, ch, out) {
        var tag = tagOf(el);
        if (tag !== 'INPUT' && tag !== 'TEXTAREA')
            return false;
        var old = ops.value(el);
        if (old === ch.v)
            return true;
        var now = ops.setValue(el, ch.v);
        if (now === '' && ch.v !== '') {
            ops.setValue(el, old); // a control that refuses the text (a number box given words) keeps its own
            return false;
        }
        if (now !== old) {
            ++out.changed;
            ops.notify(el);
        }
        return true;
    }
    function applyChecked(ops, el, ch, out) {
        if (tagOf(el) !== 'INPUT' || typeof el.checked !== 'boolean')
            return false;
        if (ops.checked(el) !== ch.c) {
            ops.check(el, ch.c);
            ++out.changed;
        }
        return true;
    }
    function applySelection(ops, el, ch, out) {
        if (tagOf(el) !== 'SELECT' || !el.options)
            return false;
        var opts = el.options;
        if (opts.length !== ch.t.length || ch.s.length !== ch.t.length)
            return false;
        for (var i = 0; i < opts.length; ++i) {
            if (text(opts[i].text) !== ch.t[i])
                return false; // the list was refilled since it was read
        }
        var before = ops.selection(el);
        ops.select(el, ch.s);
        if (!sameList(before, ops.selection(el))) {
            ++out.changed;
            ops.notify(el);
        }
        return true;
    }

    // A click on an upload field is noted, and reported at once to the
    // program through the console with the key it gave this world, so that
    // the file chooser the click opens can be handed the file offered for that
    // very field. The page's scripts cannot read the key, so they cannot
    // forge a report.
    var UPLOAD_REPORT = '\u2060quillet-upload ';
    function listenForUploads(state, doc) {
        if (!state.uploadDocs)
            state.uploadDocs = new WeakSet();
        if (state.uploadDocs.has(doc))
            return;
        state.uploadDocs.add(doc);
        doc.addEventListener('click', function (e) {
            var t = targetOf(e);
            if (!t || t.nodeType !== 1 || tagOf(t) !== 'INPUT' || typeOf(t) !== 'file')
                return;
            state.lastUploadClick = t;
            var path = state.offers ? state.offers.get(t) : undefined;
            if (state.uploadKey)
                console.debug(UPLOAD_REPORT + state.uploadKey + ' ' + (typeof path === 'string' ? path : ''));
        }, true);
    }
    function offerFiles(state, elements, offers, options, out) {
        for (var i = 0; i < offers.length; ++i) {
            var o = offers[i];
            var el = elements.get(o.p);
            if (!el || !isLive(el) || tagOf(el) !== o.tag || nameOf(el) !== o.n || typeOf(el) !== 'file') {
                ++out.skipped;
                continue;
            }
            if (!state.offers)
                state.offers = new WeakMap();
            state.offers.set(el, o.path);
            state.uploadKey = text(options.key);
            listenForUploads(state, el.ownerDocument);
            ++out.offered;
        }
    }
    function offeredFile() {
        var state = currentState(false);
        if (!state || !state.lastUploadClick)
            return '';
        var el = state.lastUploadClick;
        state.lastUploadClick = null;
        var path = state.offers ? state.offers.get(el) : undefined;
        return typeof path === 'string' ? path : '';
    }

    function clearMarks(state) {
        if (!state || !state.marks)
            return 0;
        var marks = state.marks;
        state.marks = null;
        marks.forEach(function (m) {
            // Written before it is removed: the engine would otherwise keep an
            // empty style attribute for the style changed through its object.
            m.el.setAttribute('style', m.style === null ? '' : m.style);
            if (m.style === null)
                m.el.removeAttribute('style');
            if (m.title === null)
                m.el.removeAttribute('title');
            else
                m.el.setAttribute('title', m.title);
        });
        return marks.length;
    }
    function result() {
        return { ok: true, documentChanged: false, applied: 0, changed: 0, skipped: 0, userEdited: 0, offered: 0, error: '', outcomes: [] };
    }
    function mark(token, marks) {
        var out = result();
        var state = currentState(false);
        if (!state || state.token !== token || !state.elements) {
            out.documentChanged = true;
            return JSON.stringify(out);
        }
        clearMarks(state);
        state.marks = [];
        marks.forEach(function (m) {
            var el = state.elements.get(m.p);
            if (!el || !isLive(el) || tagOf(el) !== m.tag || nameOf(el) !== m.n) {
                ++out.skipped;
                return;
            }
            state.marks.push({ el: el, style: el.getAttribute('style'), title: el.getAttribute('title') });
            el.style.setProperty('outline', '2px dashed #c2410c', 'important');
            el.style.setProperty('outline-offset', '1px', 'important');
            el.setAttribute('title', m.label);
            ++out.applied;
        });
        return JSON.stringify(out);
    }
    function unmark() {
        var out = result();
        out.applied = clearMarks(currentState(false));
        return JSON.stringify(out);
    }

    // Late fields: controls the page adds after a fill are collected as they
    // appear, for the program to work out and fill. What the user types or
    // chooses from now on is noted, so that it is never overwritten.
    function stopWatch(state) {
        var w = state.watch;
        if (!w || w.stopped)
            return;
        w.stopped = true;
        clearTimeout(w.safety);
        w.observers.forEach(function (mo) { mo.disconnect(); });
        w.listeners.forEach(function (l) { l[0].removeEventListener(l[1], l[2], true); });
        w.observers = [];
        w.listeners = [];
    }
    function startWatch(state, ms) {
        if (state.watch)
            stopWatch(state);
        var w = {
            elements: new Map(), next: 0, pending: [], seen: new WeakSet(), docs: new WeakSet(), frames: new WeakSet(),
            touched: new WeakSet(), touchedNames: new Set(), observers: [], listeners: [], hosts: (state.hosts || []).slice(),
            stopped: false, safety: 0
        };
        state.watch = w;
        function userInput(e) {
            if (!e.isTrusted || state.filling)
                return;
            var t = targetOf(e);
            if (!t || t.nodeType !== 1)
                return;
            w.touched.add(t);
            var name = nameOf(t);
            if (name)
                w.touchedNames.add(name);
        }
        function listen(target, type, fn) {
            target.addEventListener(type, fn, true);
            w.listeners.push([target, type, fn]);
        }
        function observe(root) {
            var doc = root.nodeType === 9 ? root : root.ownerDocument;
            if (!w.docs.has(doc)) {
                w.docs.add(doc);
                listen(doc, 'input', userInput);
                listen(doc, 'change', userInput);
            }
            var mo = new MutationObserver(function (records) {
                for (var r = 0; r < records.length; ++r) {
                    var added = records[r].addedNodes;
                    for (var n = 0; n < added.length; ++n) {
                        if (added[n].nodeType === 1 && added[n].isConnected)
                            collect(added[n]);
                    }
                }
            });
            mo.observe(root, { childList: true, subtree: true });
            w.observers.push(mo);
        }
        function frameLoaded(e) {
            var frame = e.currentTarget;
            var sub = frameDocument(frame);
            if (!w.stopped && sub && sameSite(frame.ownerDocument, sub))
                collect(sub);
        }
        function watchFrame(frame) {
            if (w.frames.has(frame))
                return;
            w.frames.add(frame);
            listen(frame, 'load', frameLoaded);
        }
        function collect(start) {
            walk(start, {
                element: function (el) {
                    if (w.seen.has(el))
                        return;
                    w.seen.add(el);
                    if (isCandidate(tagOf(el))) {
                        if (!(state.filled && state.filled.has(el)))
                            w.pending.push(el);
                    } else if (el.localName.indexOf('-') > 0 && !el.shadowRoot) {
                        w.hosts.push(el);
                    }
                },
                root: observe,
                frame: watchFrame
            });
        }
        w.collect = collect;
        (state.roots || []).forEach(observe);
        (state.frames || []).forEach(watchFrame);
        // The program ends the watch itself; this is for a program that went away.
        w.safety = setTimeout(function () { stopWatch(state); }, ms + 10000);
    }
    function lateControls(token, finish) {
        var out = { hasDocument: true, hasBody: true, token: token, controls: [], unreadFrames: 0, watching: false, documentChanged: false };
        var state = currentState(false);
        if (!state || state.token !== token) {
            out.documentChanged = true;
            return JSON.stringify(out);
        }
        var w = state.watch;
        if (!w)
            return JSON.stringify(out);
        if (!w.stopped) {
            var hosts = w.hosts;
            w.hosts = [];
            hosts.forEach(function (host) {
                if (host.shadowRoot && host.isConnected)
                    w.collect(host.shadowRoot);
                else if (host.isConnected)
                    w.hosts.push(host);
            });
        }
        var pending = w.pending;
        w.pending = [];
        pending.forEach(function (el) {
            if (!isLive(el) || (state.filled && state.filled.has(el)))
                return;
            var id = w.next++;
            w.elements.set(id, el);
            out.controls.push(describe(el, id, tagOf(el)));
        });
        if (finish)
            stopWatch(state);
        out.watching = !w.stopped;
        return JSON.stringify(out);
    }

    function apply(token, changes, options) {
        var out = result();
        var state = currentState(false);
        var late = options.late === true;
        var w = state && state.watch;
        var elements = state && (late ? w && w.elements : state.elements);
        if (!state || state.token !== token || !elements) {
            out.documentChanged = true;
            return JSON.stringify(out);
        }
        var dry = options.dry === true;
        if (!dry) {
            clearMarks(state);
            if (!late) {
                state.filled = new WeakSet();
                if (w)
                    stopWatch(state); // the watch of the fill before; this fill may start its own
            }
        }
        var ops = dry ? dryOps(state) : liveOps(state, out);
        state.filling = true;
        try {
            for (var c = 0; c < changes.length; ++c) {
                var ch = changes[c];
                var el = elements.get(ch.p);
                if (!el || !isLive(el) || tagOf(el) !== ch.tag || nameOf(el) !== ch.n) {
                    ++out.skipped;
                    continue;
                }
                if (late && (w.touched.has(el) || (nameOf(el) !== '' && w.touchedNames.has(nameOf(el))))) {
                    ++out.userEdited;
                    continue;
                }
                try {
                    var done = ch.k === 'v' ? applyValue(ops, el, ch, out) : ch.k === 'c' ? applyChecked(ops, el, ch, out) : applySelection(ops, el, ch, out);
                    if (done) {
                        ++out.applied;
                        ops.done(el);
                    } else {
                        ++out.skipped;
                    }
                } catch (e) {
                    out.ok = false;
                    out.error = text(e && e.message ? e.message : e);
                    break;
                }
            }
        } finally {
            state.filling = false;
        }
        if (dry) {
            out.outcomes = ops.outcomes();
        } else if (out.ok) {
            offerFiles(state, elements, options.offers || [], options, out);
            if (!late && options.watch > 0)
                startWatch(state, options.watch);
        }
        return JSON.stringify(out);
    }

    return {
        snapshot: snapshot,
        apply: apply,
        lateControls: lateControls,
        mark: mark,
        unmark: unmark,
        offeredFile: offeredFile
    };
})()
)JS";

// Put into every frame of every document the page loads, before the page's own
// scripts run. A frame of another site cannot be read from the document that
// holds it; it tells that document whether it holds a form (itself, or through
// frames inside it) with a message that the receiving watcher takes out of the
// event before any script of the page sees it.
const char* const kFrameWatcherScript = R"JS(
(function () {
    'use strict';
    if (window.__quilletFrameWatch)
        return;
    var KEY = '__quilletFrameReport';
    var FORM_SELECTOR = 'form, input:not([type=hidden]), select, textarea';
    var children = new WeakMap();
    var anyChildHolds = false;
    window.__quilletFrameWatch = { holdsForm: function (win) { return children.get(win) === true; } };

    var parentReadable = true;
    try {
        void window.parent.document;
    } catch (e) {
        parentReadable = false;
    }
    var reports = window !== window.top && !parentReadable;
    var last = null;
    function report() {
        if (!reports)
            return;
        var holds = anyChildHolds || !!(document.querySelector && document.querySelector(FORM_SELECTOR));
        if (holds === last)
            return;
        last = holds;
        var message = {};
        message[KEY] = 1;
        message.holdsForm = holds;
        window.parent.postMessage(message, '*');
    }

    window.addEventListener('message', function (e) {
        var data = e.data;
        if (!data || typeof data !== 'object' || data[KEY] !== 1)
            return;
        var child = false;
        for (var i = 0; i < window.frames.length; ++i) {
            if (window.frames[i] === e.source) {
                child = true;
                break;
            }
        }
        if (!child)
            return;
        e.stopImmediatePropagation();
        children.set(e.source, data.holdsForm === true);
        if (data.holdsForm === true)
            anyChildHolds = true;
        report();
    }, true);

    if (!reports)
        return;
    // Forms built by script after the load are reported too, for a while.
    document.addEventListener('DOMContentLoaded', function () {
        report();
        if (last)
            return;
        var observer = new MutationObserver(function () {
            report();
            if (last)
                observer.disconnect();
        });
        observer.observe(document, { childList: true, subtree: true });
        setTimeout(function () { observer.disconnect(); }, 10000);
    });
    window.addEventListener('load', report);
})();
)JS";

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
    return QString::fromUtf8(kLibrary) + QLatin1Char('.') + operation + QLatin1Char('(')
        + arguments.join(QLatin1Char(',')) + QStringLiteral(");");
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
    return QString::fromUtf8(kFrameWatcherScript);
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
        {QStringLiteral("key"), options.uploadReportKey}};
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

QString PageFormAdapter::offeredFileForChooser(int timeoutMs)
{
    bool answered = false;
    const QVariant answer = runAndWait(call(QStringLiteral("offeredFile")), timeoutMs, &answered);
    return answered && answer.typeId() == QMetaType::QString ? answer.toString() : QString();
}
