#pragma once

// Qt and its web engine write diagnostics of their own to stderr (graphics
// set-up, platform plug-ins, the browser's internal logging). The program's
// users have no use for them: they are dropped unless QUILLET_DEBUG is set.
// The program's own errors and warnings are written without Qt's message
// handler and stay. Call before the application object is created.
class QtDiagnostics {
public:
    // Installs the quiet message handler (fatal messages still go out) and
    // asks the web engine to log nothing, unless QUILLET_DEBUG is set.
    static void quietUnlessDebugging();

    // True when QUILLET_DEBUG is set in the environment.
    static bool debugging();
};
