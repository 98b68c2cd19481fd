// Reading: every candidate control of the shown document, in document order.
// The elements are kept (by position) with a token naming the document, so
// that changes reach the very elements that were read.

function describe(el, position, tag) {
    if (!isCandidate(tag)) {
        var kept = keptInput(el);
        return { p: position, tag: tag, type: 'richtext', name: kept ? nameOf(kept) : '', id: idOf(el), value: plainText(el), checked: false };
    }
    var c = {
        p: position,
        tag: tag,
        type: typeOf(el),
        name: nameOf(el),
        id: idOf(el),
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
            if (isControl(el)) {
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

api.snapshot = snapshot;
