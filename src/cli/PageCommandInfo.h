#pragma once

// The names and summaries of the commands that load a page. quillet-cli lists
// them without loading the browser engine; the commands themselves run in
// quillet-cli-page (see PageCommandProxy).
struct PageCommandInfo {
    const char* name;
    const char* summary;
};

inline constexpr PageCommandInfo kCaptureCommandInfo {
    "capture", "Load a page and record its form for a site, as \"Save form\" does."};
inline constexpr PageCommandInfo kFillCommandInfo {
    "fill", "Load a page, fill its form as \"Auto fill form\" does and print the controls as JSON."};

// The helper executable that runs them (see PageCommandProxy::helperPath).
inline constexpr const char* kPageCommandProgram = "quillet-cli-page";
