// Applying: values go in as a user's typing or clicking would put them; a
// dry run works out what would change and leaves the page as it is. Also
// the preview's outlines and the files offered to upload fields.

function notify(el) {
    el.dispatchEvent(new Event('input', { bubbles: true, composed: true }));
    el.dispatchEvent(new Event('change', { bubbles: true }));
}

// Focus comes and goes as a user's click and Tab would move it. The engine
// sends no focus events to a page that does not have the keyboard itself;
// then the events are sent as the engine would send them.
var FOCUS = HTMLElement.prototype.focus;
var BLUR = HTMLElement.prototype.blur;
function moveFocus(el, method, type, around, real) {
    var seen = false;
    function note() { seen = true; }
    if (real) {
        el.addEventListener(type, note, true);
        try {
            method.call(el, { preventScroll: true });
        } finally {
            el.removeEventListener(type, note, true);
        }
    }
    if (!seen) {
        el.dispatchEvent(new FocusEvent(type));
        el.dispatchEvent(new FocusEvent(around, { bubbles: true, composed: true }));
    }
}
function enter(el, real) { moveFocus(el, FOCUS, 'focus', 'focusin', real); }
function leave(el, real) { moveFocus(el, BLUR, 'blur', 'focusout', real); }

// Puts the keyboard focus back where it was before a fill.
function restoreFocus(before) {
    var now = deepActive();
    if (now === before)
        return;
    if (before && before.nodeType === 1 && isLive(before) && before !== before.ownerDocument.body) {
        FOCUS.call(before, { preventScroll: true });
        return;
    }
    var top = window.document.activeElement;
    if (top && top !== window.document.body)
        BLUR.call(top);
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

// The options whose trimmed text is one of fields; of a single-choice list
// only the last of them.
function matchFields(el, fields) {
    var wanted = [];
    for (var i = 0; i < el.options.length; ++i) {
        var t = text(el.options[i].text).trim();
        wanted.push(t !== '' && fields.indexOf(t) >= 0);
    }
    return el.multiple ? wanted : singleChoice(wanted);
}
function selectLive(el, wanted) {
    if (el.multiple) {
        for (var k = 0; k < el.options.length; ++k)
            OPTION_SELECTED.set.call(el.options[k], wanted[k] === true);
    } else {
        SELECTED_INDEX.set.call(el, wanted.lastIndexOf(true));
    }
}
// A rich-text editor is written through the editing commands its own
// typing would run: its content is selected and replaced by the text, each
// line break a new paragraph, so that the editor's model (and the input it
// keeps) takes the text as typed.
function writeRich(el, v) {
    var doc = el.ownerDocument;
    var selection = doc.getSelection();
    var range = doc.createRange();
    range.selectNodeContents(el);
    selection.removeAllRanges();
    selection.addRange(range);
    var lines = normalisedText(v).split('\n');
    if (lines.length === 1 && lines[0] === '') {
        doc.execCommand('delete', false);
        return;
    }
    for (var i = 0; i < lines.length; ++i) {
        if (i > 0)
            doc.execCommand('insertParagraph', false);
        if (lines[i] !== '')
            doc.execCommand('insertText', false, lines[i]);
    }
}
function readValue(el) { return isRich(el) ? plainText(el) : valueAccessor(el).get.call(el); }
function writeValue(el, v) {
    if (isRich(el))
        writeRich(el, v);
    else
        valueAccessor(el).set.call(el, v);
}

// The value the engine makes of v in a control like el: tried on a copy in a
// document of its own, which the page never sees.
var scratchDocument = null;
function trialValue(el, v) {
    if (isRich(el))
        return normalisedText(v);
    // Text boxes and text areas only drop or change line breaks: worked out
    // here, without a copy.
    var tag = tagOf(el);
    if (tag === 'TEXTAREA')
        return text(v).replace(/\r\n?/g, '\n');
    var type = typeOf(el);
    if (type === 'text' || type === 'search' || type === 'tel' || type === 'password')
        return text(v).replace(/[\r\n]/g, '');
    if (!scratchDocument)
        scratchDocument = document.implementation.createHTMLDocument('');
    var copy = scratchDocument.createElement('input');
    ['type', 'multiple', 'min', 'max', 'step'].forEach(function (name) {
        if (el.hasAttribute(name))
            copy.setAttribute(name, el.getAttribute(name));
    });
    var a = valueAccessor(el);
    a.set.call(copy, v);
    return a.get.call(copy);
}

// Enhanced drop-downs: libraries that hide a select list and draw a box of
// their own beside it. Most follow the list's change event; a box that still
// shows another choice afterwards is given what a user gives it: a click
// that opens it, then a click on each wanted option, then the focus leaves.
// The box opens when the library gets to it, so this goes on after the fill.
// Read from attributes only: a fill must not make the engine lay out the
// page again for every list it sets.
function concealed(el) {
    if (el.tabIndex < 0 || el.hidden || el.getAttribute('aria-hidden') === 'true')
        return true;
    return el.style.display === 'none' || el.style.visibility === 'hidden';
}
function boxOf(el) {
    var box = el.nextElementSibling;
    if (!box || isControl(box) || tagOf(box) === 'SCRIPT' || !concealed(el))
        return null;
    return box;
}
function isListPart(node) {
    if (node.nodeType !== 1)
        return false;
    var role = node.getAttribute('role');
    return role === 'listbox' || role === 'option' || node.hasAttribute('data-selectable');
}
// The text the closed box shows, without its list of options.
function shownText(box) {
    var out = '';
    var stack = [box.firstChild];
    while (stack.length) {
        var n = stack.pop();
        if (!n)
            continue;
        stack.push(n.nextSibling);
        if (n.nodeType === 3)
            out += n.data + ' ';
        else if (n.nodeType === 1 && !isListPart(n))
            stack.push(n.firstChild);
    }
    return out;
}
function chosenTexts(el) {
    var texts = [];
    for (var i = 0; i < el.options.length; ++i) {
        if (el.options[i].selected && text(el.options[i].value) !== '')
            texts.push(text(el.options[i].text).trim());
    }
    return texts;
}
function fire(el, type) {
    el.dispatchEvent(new MouseEvent(type, { bubbles: true, cancelable: true, composed: true, button: 0 }));
}
function click(el) {
    fire(el, 'mousedown');
    fire(el, 'mouseup');
    fire(el, 'click');
}
function syncBox(el) {
    var box = boxOf(el);
    if (!box)
        return;
    var shown = shownText(box);
    var missing = chosenTexts(el).filter(function (t) { return shown.indexOf(t) < 0; });
    if (!missing.length)
        return;
    var combo = box.querySelector('[role=combobox]') || box.firstElementChild || box;
    var listId = combo.getAttribute('aria-controls');
    var doc = el.ownerDocument;
    var focused = null;
    var tries = 0;
    // After the fill, which has put the focus back where it was by then.
    function open() {
        if (!isLive(el))
            return;
        focused = deepActive();
        click(combo);
        setTimeout(step, 0);
    }
    function step() {
        if (!isLive(el))
            return;
        var list = listId ? doc.getElementById(listId) : null;
        var options = (list || box).querySelectorAll('[role=option], [data-selectable]');
        for (var i = 0; i < options.length && missing.length; ++i) {
            if (text(options[i].textContent).trim() === missing[0]) {
                click(options[i]);
                missing.shift();
                i = -1;
                options = (list || box).querySelectorAll('[role=option], [data-selectable]');
            }
        }
        if (missing.length && ++tries < 100) {
            setTimeout(step, 20);
            return;
        }
        var now = deepActive();
        if (now && box.contains(now)) {
            leave(now, true);
            if (focused && focused !== now)
                restoreFocus(focused);
        }
    }
    setTimeout(open, 0);
}

// The page itself: values go in through the engine's accessors. Every
// control that changes gets the focus, its value, the input and change
// events, and loses the focus again, as typing and Tab would give.
// program names the program the fill is for: the page remembers which
// controls were written for which program. real: move the page's focus
// itself; otherwise (late fields, while the user may be typing elsewhere)
// only the focus events are sent.
function liveOps(state, program, real) {
    return {
        value: readValue,
        trial: trialValue,
        setValue: writeValue,
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
        select: selectLive,
        // Runs change on el between its focus and its blur; announce: send input and change after it.
        write: function (el, change, announce) {
            enter(el, real);
            try {
                change();
                if (announce)
                    notify(el);
            } finally {
                leave(el, real);
            }
            if (tagOf(el) === 'SELECT')
                syncBox(el);
        },
        done: function (el) {
            if (state.filled)
                state.filled.add(el);
            if (program)
                state.written.set(el, program);
        },
        forget: function (el) { state.written.delete(el); }
    };
}

// A dry run: the states the page would take are kept aside, and a value
// is tried on a copy of the control (trialValue).
function dryOps(state) {
    var values = new Map(), checks = new Map(), selections = new Map();
    var radios = null;
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
        value: function (el) { return values.has(el) ? values.get(el) : readValue(el); },
        trial: trialValue,
        setValue: function (el, v) { values.set(el, trialValue(el, v)); },
        checked: function (el) { return checks.has(el) ? checks.get(el) : CHECKED.get.call(el); },
        check: function (el, on) {
            checks.set(el, on);
            if (on && typeOf(el) === 'radio') {
                groupOf(el).forEach(function (other) { checks.set(other, false); });
            }
        },
        selection: function (el) { return selections.has(el) ? selections.get(el).slice() : selectionOf(el); },
        select: function (el, wanted) { selections.set(el, el.multiple ? wanted.slice() : singleChoice(wanted)); },
        write: function (el, change) { change(); },
        done: function () { },
        forget: function () { },
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
                    var typed = tag === 'INPUT' || tag === 'TEXTAREA' || isRich(el);
                    o.v = typed ? ops.value(el) : text(el.value);
                    o.c = tag === 'INPUT' ? ops.checked(el) : false;
                    differs = o.v !== (typed ? readValue(el) : text(el.value))
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
    var rich = isRich(el);
    if (tag !== 'INPUT' && tag !== 'TEXTAREA' && !rich)
        return false;
    var old = ops.value(el);
    if (old === ch.v)
        return true;
    var now = ops.trial(el, ch.v);
    if (now === '' && ch.v !== '')
        return false; // a control that refuses the text (a number box given words) keeps its own
    if (now !== old) {
        // The editing commands send an editor the events of typing themselves.
        ops.write(el, function () { ops.setValue(el, ch.v); }, !rich);
        ++out.changed;
    }
    return true;
}
function applyChecked(ops, el, ch, out) {
    if (tagOf(el) !== 'INPUT' || typeof el.checked !== 'boolean')
        return false;
    if (ops.checked(el) !== ch.c) {
        ops.write(el, function () { ops.check(el, ch.c); }, false);
        ++out.changed;
    }
    return true;
}
function sameTexts(el, texts) {
    var opts = el.options;
    if (opts.length !== texts.length)
        return false;
    for (var i = 0; i < opts.length; ++i) {
        if (text(opts[i].text) !== texts[i])
            return false;
    }
    return true;
}
// A list whose options are not those the selection was worked out for (it
// was refilled since it was read) is matched against the value's fields
// again. A list that holds none of the fields yet is retried, while the fill
// watches the page, when its options change (retries).
function applySelection(ops, el, ch, out, retries) {
    if (tagOf(el) !== 'SELECT' || !el.options)
        return false;
    var fields = ch.w || [];
    var wanted = ch.s;
    if (ch.s.length !== ch.t.length || !sameTexts(el, ch.t)) {
        if (!fields.length)
            return false;
        wanted = matchFields(el, fields);
    }
    if (fields.length && wanted.indexOf(true) < 0 && retries)
        retries.push({ el: el, fields: fields });
    var before = ops.selection(el);
    var after = el.multiple ? wanted : singleChoice(wanted);
    if (!sameList(before, after)) {
        ops.write(el, function () { ops.select(el, wanted); }, true);
        ++out.changed;
    }
    return true;
}

// Empties a control that a fill or a paste wrote for another program.
// True when it held something.
function clearControl(ops, el) {
    var tag = tagOf(el);
    if (tag === 'SELECT') {
        if (!el.options || ops.selection(el).indexOf(true) < 0)
            return false;
        ops.write(el, function () { ops.select(el, selectionOf(el).map(function () { return false; })); }, true);
        return true;
    }
    if (isRich(el)) {
        if (ops.value(el) === '')
            return false;
        ops.write(el, function () { ops.setValue(el, ''); }, false);
        return true;
    }
    if (tag !== 'INPUT' && tag !== 'TEXTAREA')
        return false;
    var type = typeOf(el);
    if (type === 'checkbox' || type === 'radio') {
        if (!ops.checked(el))
            return false;
        ops.write(el, function () { ops.check(el, false); }, false);
        return true;
    }
    if (ops.value(el) === '')
        return false;
    ops.write(el, function () { ops.setValue(el, ''); }, true);
    return true;
}
// Every control that a fill or paste for another program wrote and that
// this fill leaves alone is emptied, so that no other program's text stays.
function clearOthers(state, ops, addressed, program, out) {
    if (!program || !state.written)
        return;
    var positions = null;
    state.written.forEach(function (owner, el) {
        if (owner === program || addressed.has(el))
            return;
        if (!isLive(el)) {
            ops.forget(el);
            return;
        }
        var emptied = clearControl(ops, el);
        ops.forget(el);
        if (!emptied)
            return;
        ++out.cleared;
        ++out.changed;
        if (!positions) {
            positions = new Map();
            (state.elements || new Map()).forEach(function (e, p) { positions.set(e, p); });
        }
        out.clears.push({ p: positions.has(el) ? positions.get(el) : -1, program: owner });
    });
}

// A paste into the control with the keyboard focus: it is remembered as
// written for program, as a fill's values are.
function notePaste(program) {
    var state = currentState(true);
    var el = deepActive();
    if (!state || !el || !program || !isControl(el))
        return false;
    if (!state.written)
        state.written = new Map();
    state.written.set(el, text(program));
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
        if (!el || !isLive(el) || tagOf(el) !== m.tag || controlNameOf(el) !== m.n) {
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
    var program = text(options.program);
    if (!state.written)
        state.written = new Map();
    if (!dry) {
        clearMarks(state);
        if (!late) {
            state.filled = new WeakSet();
            if (w)
                stopWatch(state); // the watch of the fill before; this fill may start its own
        }
    }
    var before = dry || late ? null : deepActive();
    // A page without the keyboard moves no focus: its controls are sent the focus events only.
    var ops = dry ? dryOps(state) : liveOps(state, program, !late && window.document.hasFocus());
    var addressed = new Set();
    var retries = dry ? null : [];
    state.filling = true;
    try {
        for (var c = 0; c < changes.length; ++c) {
            var ch = changes[c];
            var el = elements.get(ch.p);
            if (!el || !isLive(el) || tagOf(el) !== ch.tag || controlNameOf(el) !== ch.n) {
                ++out.skipped;
                continue;
            }
            addressed.add(el);
            if (late && (w.touched.has(el) || (nameOf(el) !== '' && w.touchedNames.has(nameOf(el))))) {
                ++out.userEdited;
                continue;
            }
            try {
                var done = ch.k === 'v' ? applyValue(ops, el, ch, out) : ch.k === 'c' ? applyChecked(ops, el, ch, out) : applySelection(ops, el, ch, out, retries);
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
        if (out.ok && !late)
            clearOthers(state, ops, addressed, program, out);
    } finally {
        state.filling = false;
        if (!dry && !late)
            restoreFocus(before);
    }
    if (dry) {
        out.outcomes = ops.outcomes();
    } else if (out.ok) {
        offerFiles(state, elements, options.offers || [], options, out);
        if (!late && options.watch > 0)
            startWatch(state, options.watch);
        if (state.watch && !state.watch.stopped) {
            retries.forEach(function (r) {
                r.program = program;
                state.watch.retry(r);
            });
        }
    }
    return JSON.stringify(out);
}

api.apply = apply;
api.mark = mark;
api.unmark = unmark;
api.offeredFile = offeredFile;
api.notePaste = notePaste;
