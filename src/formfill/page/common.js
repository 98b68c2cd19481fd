// What the form scripts share: reading elements, walking a document with its
// shadow roots and frames, and the state kept per shown document. Runs in the
// application's own script world, joined with read.js, apply.js and watch.js
// into one function whose value (api) holds the operations; the page's scripts
// can neither see what it keeps on window nor replace the accessors it calls.

// What makes a frame of another site count as holding a form.
var FORM_SELECTOR = 'form, input:not([type=hidden]), select, textarea';

function text(v) { return v === undefined || v === null ? '' : String(v); }
function tagOf(el) { return text(el.tagName).toUpperCase(); }
function nameOf(el) { return typeof el.name === 'string' ? el.name : text(el.getAttribute('name')); }
function idOf(el) { return typeof el.id === 'string' ? el.id : text(el.getAttribute('id')); }
function typeOf(el) { return typeof el.type === 'string' ? el.type : text(el.getAttribute('type')); }
function isCandidate(tag) {
    return tag === 'INPUT' || tag === 'TEXTAREA' || tag === 'SELECT' || tag === 'CHECKBOX' || tag === 'RADIO';
}
// A rich-text editor: an editing host (contenteditable) whose parent is not
// editable itself. Frames in design mode (their body) are not taken.
function isRich(el) {
    // The attribute first: asking the engine whether an element is editable
    // makes it bring the page's style up to date.
    if (!el || el.nodeType !== 1 || !el.hasAttribute('contenteditable') || el.isContentEditable !== true)
        return false;
    var tag = tagOf(el);
    if (tag === 'BODY' || tag === 'HTML' || tag === 'INPUT' || tag === 'TEXTAREA')
        return false;
    var parent = el.parentElement;
    return !parent || parent.isContentEditable !== true;
}
function isControl(el) { return (isCandidate(tagOf(el)) && !isBoxPart(el)) || isRich(el); }
// The search box of a drop-down that a library draws over a hidden select
// list: it has no name, so the site never receives it, and it is no field of
// the form but part of the list.
function isBoxPart(el) {
    if (tagOf(el) !== 'INPUT' || nameOf(el) !== '' || el.getAttribute('role') !== 'combobox')
        return false;
    var node = el;
    for (var up = 0; up < 4 && node.parentElement; ++up) {
        node = node.parentElement;
        var before = node.previousElementSibling;
        if (before && tagOf(before) === 'SELECT')
            return true;
    }
    return false;
}
function isHiddenField(el) {
    var tag = tagOf(el);
    if (tag === 'INPUT')
        return typeOf(el) === 'hidden';
    if (tag !== 'TEXTAREA')
        return false;
    var view = el.ownerDocument.defaultView;
    return el.hidden || !!(view && view.getComputedStyle(el).display === 'none');
}
// The hidden input (or hidden text area) that a rich-text editor keeps in
// step with its text: the one its input attribute names, or else the only
// named one beside it, looked for in up to three enclosing elements. None
// when that is not clear.
function keptInput(host) {
    var named = host.getAttribute('input');
    if (named) {
        var byId = host.ownerDocument.getElementById(named);
        if (byId && isHiddenField(byId) && nameOf(byId))
            return byId;
    }
    var node = host;
    for (var up = 0; up < 3 && node.parentElement; ++up) {
        node = node.parentElement;
        var found = [];
        var list = node.querySelectorAll('input[name], textarea[name]');
        for (var i = 0; i < list.length; ++i) {
            if (!host.contains(list[i]) && isHiddenField(list[i]))
                found.push(list[i]);
        }
        if (found.length === 1)
            return found[0];
        if (found.length > 1)
            return null;
    }
    return null;
}
// The name a control is addressed by: for a rich-text editor the name of the
// input it keeps.
function controlNameOf(el) {
    if (isCandidate(tagOf(el)))
        return nameOf(el);
    var kept = keptInput(el);
    return kept ? nameOf(kept) : '';
}

// The plain text of a rich-text editor: its blocks (paragraphs, list
// items ...) one line each, a line break where it has one.
var BLOCK_TAGS = /^(P|DIV|LI|H[1-6]|BLOCKQUOTE|PRE|UL|OL|TABLE|TR|SECTION|ARTICLE|HEADER|FOOTER)$/;
// Without recursion, so that no depth of nesting can exhaust the stack.
function plainText(host) {
    var lines = [], line = null;
    function add(s) { line = (line === null ? '' : line) + s; }
    var stack = [{ next: host.firstChild, block: false }];
    while (stack.length) {
        var top = stack[stack.length - 1];
        var n = top.next;
        if (!n) {
            stack.pop();
            // A block ends its line; one that held no line at all is an empty line.
            if (top.block && (line !== null || lines.length === top.start)) {
                lines.push(line === null ? '' : line);
                line = null;
            }
            continue;
        }
        top.next = n.nextSibling;
        if (n.nodeType === 3) {
            if (!/^\s*$/.test(n.data) || n.data.indexOf('\n') < 0)
                add(n.data);
        } else if (n.nodeType === 1) {
            var tag = tagOf(n);
            if (tag === 'BR') {
                if (n.nextSibling)
                    add('\n');
                else if (line === null)
                    line = ''; // the placeholder of an empty line
            } else if (BLOCK_TAGS.test(tag)) {
                if (line !== null)
                    lines.push(line);
                line = null;
                stack.push({ next: n.firstChild, block: true, start: lines.length });
            } else {
                stack.push({ next: n.firstChild, block: false });
            }
        }
    }
    if (line !== null)
        lines.push(line);
    return lines.join('\n');
}
function normalisedText(v) { return text(v).replace(/\r\n?/g, '\n'); }

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

// The element that has the keyboard focus, looked for inside open shadow
// roots and frames of the same site; the body when none has it.
function deepActive() {
    var el = window.document.activeElement;
    for (var depth = 0; el && depth < 64; ++depth) {
        if (el.shadowRoot && el.shadowRoot.activeElement) {
            el = el.shadowRoot.activeElement;
            continue;
        }
        var tag = tagOf(el);
        if (tag !== 'IFRAME' && tag !== 'FRAME')
            break;
        var sub = frameDocument(el);
        if (!sub || !sameSite(el.ownerDocument, sub) || !sub.activeElement)
            break;
        el = sub.activeElement;
    }
    return el || null;
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

function result() {
    return {
        ok: true, documentChanged: false, applied: 0, changed: 0, skipped: 0, userEdited: 0, offered: 0, cleared: 0,
        error: '', outcomes: [], clears: []
    };
}
