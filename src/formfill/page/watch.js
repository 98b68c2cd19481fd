// Watching: after a fill, controls the page adds later are collected for the
// program to fill, and what the user edits meanwhile is noted.

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
        stopped: false, safety: 0, retried: 0
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
                if (isControl(el)) {
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
    // A select list that held none of its value's fields is chosen as soon as
    // its options change to hold one, unless the user has chosen meanwhile.
    function tryOptions(r, mo) {
        if (w.stopped || !isLive(r.el) || w.touched.has(r.el)) {
            mo.disconnect();
            return;
        }
        var wanted = matchFields(r.el, r.fields);
        if (wanted.indexOf(true) < 0)
            return;
        mo.disconnect();
        state.filling = true;
        try {
            if (!sameList(selectionOf(r.el), wanted)) {
                enter(r.el, false);
                selectLive(r.el, wanted);
                notify(r.el);
                leave(r.el, false);
                syncBox(r.el);
            }
        } finally {
            state.filling = false;
        }
        if (r.program)
            state.written.set(r.el, r.program);
        ++w.retried;
    }
    w.retry = function (r) {
        var mo = new MutationObserver(function () { tryOptions(r, mo); });
        mo.observe(r.el, { childList: true, subtree: true, characterData: true });
        w.observers.push(mo);
        tryOptions(r, mo);
    };
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

api.lateControls = lateControls;
