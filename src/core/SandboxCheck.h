#pragma once

#include <QString>

// The embedded browser's sandbox cannot run for the root user: Chromium then
// ends the whole process at the first page. Programs that show pages check
// first and explain instead. Empty when pages can be shown.
QString browserSandboxProblem();
