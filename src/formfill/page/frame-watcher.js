// Put into every frame of every document the page loads, before the page's own
// scripts run. A frame of another site cannot be read from the document that
// holds it; it tells that document whether it holds a form (itself, or through
// frames inside it) with a message that the receiving watcher takes out of the
// event before any script of the page sees it.
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
