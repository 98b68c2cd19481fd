#!/usr/bin/env python3
"""Lists the keys the code gives language files (*.lng) and checks files against them.

    scripts/lng-keys.py                      every key the code uses, by section
    scripts/lng-keys.py --where              the same, each message with where it is used
    scripts/lng-keys.py --template           a new language file to fill in ("key=" lines)
    scripts/lng-keys.py FILE.lng ...         what each file misses, and what it has that
                                             the code no longer uses (a warning)
    scripts/lng-keys.py --check              the same for every file in lang/

[Translations] keys are the window paths of every window with a translation
component; they come from the real windows through the build's
quillet-lng-windows tool (--build DIR, default build/), which names every text
a window shows after its object. A text a window shows without a path (an
object without a name, or a name another object of the window has first) is
an error: give the object a name, or mark a text the code makes itself with
WindowTexts::keepCodeText. [Messages] keys are the
texts the code passes to translateMsg / translateMessage, found in src/ and
app/: a literal argument (adjacent literals joined) is a key; a text that
reaches the call through a variable is marked where it is written with
MESSAGE_NOOP("...") and the call carries the comment "// lng-keys: indirect"
(a call with a variable argument and no such comment is an error, so that no
text is missed unseen).

A file named English.lng needs no [Messages]: the language "English" never
reads messages. The exit status is 0 when everything is in order, 1 when a
file misses a key or something is wrong (each problem is one line saying what
to do), 2 for bad usage or a missing tool.
"""

import argparse
import os
import re
import signal
import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
TRANSLATE_CALLS = {"translateMsg", "translateMessage"}
MARKER = "MESSAGE_NOOP"
ACK = "lng-keys: indirect"
# Wrappers that leave a literal a literal.
WRAPPERS = {"QStringLiteral", "QLatin1String", "QLatin1StringView", "QString", "QStringView", "fromUtf8",
            "fromLatin1", "fromLocal8Bit", MARKER}
# Where the translation functions themselves are written; calls there are not uses.
DEFINING_FILES = {"src/core/MessageTranslation.h", "src/core/MessageTranslation.cpp"}
DEFINING_FOLDERS = ("src/lang/",)
# Files that may make translation components without being a window.
COMPONENT_HELPERS = {"src/ui/UiTranslation.cpp", "src/ui/TranslatedWindows.cpp"}
ENGLISH = "English"
PLACEHOLDER = re.compile(r"%(\d+)")


# ---------------------------------------------------------------- C++ sources

class Token:
    __slots__ = ("kind", "text", "line", "value")

    def __init__(self, kind, text, line, value=None):
        self.kind = kind    # "id", "str", "chr", "num", "punct"
        self.text = text
        self.line = line
        self.value = value  # the decoded text of a string literal


SIMPLE_ESCAPES = {"n": "\n", "t": "\t", "r": "\r", "a": "\a", "b": "\b", "f": "\f", "v": "\v",
                  "\\": "\\", "'": "'", '"': '"', "?": "?", "0": "\0"}


def decode_escapes(body):
    out = []
    i = 0
    while i < len(body):
        c = body[i]
        if c != "\\" or i + 1 >= len(body):
            out.append(c)
            i += 1
            continue
        e = body[i + 1]
        if e == "x":
            m = re.match(r"[0-9a-fA-F]+", body[i + 2:])
            out.append(chr(int(m.group(0), 16)) if m else "x")
            i += 2 + (len(m.group(0)) if m else 0)
        elif e in "uU":
            n = 4 if e == "u" else 8
            digits = body[i + 2:i + 2 + n]
            out.append(chr(int(digits, 16)))
            i += 2 + n
        elif e in "01234567":
            m = re.match(r"[0-7]{1,3}", body[i + 1:])
            out.append(chr(int(m.group(0), 8)))
            i += 1 + len(m.group(0))
        else:
            out.append(SIMPLE_ESCAPES.get(e, e))
            i += 2
    return "".join(out)


def tokenize(text):
    """The tokens of a C++ source, without comments and preprocessor lines.
    Returns (tokens, comments) where comments maps a line number to the
    comment text on it."""
    tokens = []
    comments = {}
    i = 0
    n = len(text)
    line = 1
    at_line_start = True
    while i < n:
        c = text[i]
        if c == "\n":
            line += 1
            i += 1
            at_line_start = True
            continue
        if c in " \t\r\f\v":
            i += 1
            continue
        if c == "#" and at_line_start:
            # A preprocessor line, with its continuations.
            while i < n and text[i] != "\n":
                if text[i] == "\\" and i + 1 < n and text[i + 1] == "\n":
                    line += 1
                    i += 1
                i += 1
            continue
        at_line_start = False
        if text.startswith("//", i):
            end = text.find("\n", i)
            end = n if end < 0 else end
            comments[line] = comments.get(line, "") + text[i:end]
            i = end
            continue
        if text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            chunk = text[i:end]
            for k, piece in enumerate(chunk.split("\n")):
                comments[line + k] = comments.get(line + k, "") + piece
            line += chunk.count("\n")
            i = end
            continue
        m = re.match(r'(u8|u|U|L)?R"([^()\\\s]{0,16})\(', text[i:])
        if m:
            close = ")" + m.group(2) + '"'
            start = i + m.end()
            end = text.find(close, start)
            end = n if end < 0 else end
            body = text[start:end]
            tokens.append(Token("str", text[i:end + len(close)], line, body))
            line += body.count("\n")
            i = end + len(close)
            continue
        m = re.match(r'(u8|u|U|L)?"', text[i:])
        if m:
            j = i + m.end()
            while j < n and text[j] != '"' and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            if j >= n or text[j] != '"':
                # A string cut off by the end of its line or file is no text.
                tokens.append(Token("punct", text[i:j], line))
                i = j
                continue
            body = text[i + m.end():j]
            tokens.append(Token("str", text[i:j + 1], line, decode_escapes(body)))
            i = j + 1
            continue
        m = re.match(r"(u8|u|U|L)?'", text[i:])
        if m:
            j = i + m.end()
            while j < n and text[j] != "'" and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            tokens.append(Token("chr", text[i:j + 1], line))
            i = j + 1
            continue
        if c.isalpha() or c == "_":
            m = re.match(r"[A-Za-z_]\w*", text[i:])
            tokens.append(Token("id", m.group(0), line))
            i += m.end()
            continue
        if c.isdigit() or (c == "." and i + 1 < n and text[i + 1].isdigit()):
            m = re.match(r"[0-9.][0-9A-Za-z_.']*", text[i:])
            tokens.append(Token("num", m.group(0), line))
            i += m.end()
            continue
        if text.startswith("::", i) or text.startswith("->", i):
            tokens.append(Token("punct", text[i:i + 2], line))
            i += 2
            continue
        tokens.append(Token("punct", c, line))
        i += 1
    return tokens, comments


CALL_KEYWORDS = {"return", "throw", "case", "co_return", "else", "do"}


def call_argument(tokens, open_index):
    """The tokens between the parenthesis at open_index and its match, and the
    index after the match."""
    depth = 0
    for k in range(open_index, len(tokens)):
        t = tokens[k]
        if t.kind == "punct" and t.text in "([{":
            depth += 1
        elif t.kind == "punct" and t.text in ")]}":
            depth -= 1
            if depth == 0:
                return tokens[open_index + 1:k], k + 1
    return tokens[open_index + 1:], len(tokens)


def literal_text(argument):
    """The text of an argument made of string literals only (wrappers allowed), else None."""
    parts = []
    for t in argument:
        if t.kind == "str":
            parts.append(t.value)
        elif t.kind == "id" and t.text in WRAPPERS:
            continue
        elif t.kind == "punct" and t.text in ("(", ")", "::"):
            continue
        else:
            return None
    return "".join(parts) if parts else None


def argument_source(argument):
    return " ".join(t.text for t in argument)


class Scan:
    def __init__(self):
        self.messages = {}      # casefolded key -> (key, [origins])
        self.errors = []        # problems in the code, one line each
        self.component_files = []  # (relative path, class name) of files that make a translation component

    def add_message(self, text, origin):
        if text == "":
            return
        folded = text.casefold()
        if folded not in self.messages:
            self.messages[folded] = (text, [])
        self.messages[folded][1].append(origin)


def scan_sources(root):
    scan = Scan()
    files = []
    for folder in ("src", "app"):
        base = root / folder
        if base.is_dir():
            files += sorted(p for p in base.rglob("*") if p.suffix in (".cpp", ".h") and p.is_file())
    for path in files:
        rel = path.relative_to(root).as_posix()
        try:
            text = path.read_text(encoding="utf-8")
        except UnicodeDecodeError:
            text = path.read_text(encoding="latin-1")
        tokens, comments = tokenize(text)
        defining = rel in DEFINING_FILES or rel.startswith(DEFINING_FOLDERS)
        makes_component = False
        for k, t in enumerate(tokens):
            if t.kind != "id":
                continue
            nxt = tokens[k + 1] if k + 1 < len(tokens) else None
            prev = tokens[k - 1] if k > 0 else None
            if t.text in ("createWindowLanguage", "translateWindow", "WindowTranslator") and nxt is not None:
                if t.text in ("createWindowLanguage", "translateWindow") and nxt.text == "(" \
                        and not (prev and prev.kind == "id" and prev.text not in CALL_KEYWORDS):
                    makes_component = True
                if t.text == "WindowTranslator" and prev is not None and prev.text == "new":
                    makes_component = True
                if t.text == "WindowTranslator" and nxt.kind == "id" and k + 2 < len(tokens) \
                        and tokens[k + 2].text in ("(", "{"):
                    makes_component = True
            if t.text not in TRANSLATE_CALLS and t.text != MARKER:
                continue
            if nxt is None or nxt.text != "(":
                continue
            if defining:
                continue
            if prev is not None and ((prev.kind == "id" and prev.text not in CALL_KEYWORDS) or prev.text in ("::",)):
                continue  # a declaration or a definition, not a use
            argument, _ = call_argument(tokens, k + 1)
            origin = "%s:%d" % (rel, t.line)
            text_value = literal_text(argument)
            if text_value is not None:
                scan.add_message(text_value, origin)
                continue
            if t.text == MARKER:
                scan.errors.append("%s: %s(%s) marks no literal text: give it the text itself"
                                   % (origin, MARKER, argument_source(argument)))
                continue
            call_lines = {t.line, t.line - 1} | {a.line for a in argument}
            if any(ACK in comments.get(line, "") for line in call_lines):
                continue
            scan.errors.append(
                "%s: %s(%s) passes a text from a variable: mark every text that can reach it with "
                "%s(\"...\") where it is written, and put the comment \"// %s\" on the call's line"
                % (origin, t.text, argument_source(argument), MARKER, ACK))
        if makes_component and rel.startswith("src/") and path.suffix == ".cpp" and rel not in COMPONENT_HELPERS \
                and not defining:
            scan.component_files.append((rel, path.stem))
    for folded, (key, origins) in scan.messages.items():
        problem = key_problem(key)
        if problem:
            scan.errors.append("%s: the message %s %s; reword it" % (origins[0], quote(key), problem))
    return scan


def key_problem(key):
    if "\n" in key or "\r" in key:
        return "holds a line break, and a language file's key is one line: it can never be translated"
    if "=" in key:
        return "holds \"=\", which ends a language file's key: it can never be translated"
    if key != key.strip():
        return "starts or ends with a blank, which a language file's key loses: it can never be translated"
    if key.startswith("[") or key.startswith(";"):
        return "starts with \"%s\", which a language file reads as a section or a comment" % key[0]
    return None


def quote(text):
    shown = text.replace("\\", "\\\\").replace('"', '\\"').replace("\n", "\\n").replace("\r", "\\r")
    return '"%s"' % shown


# ------------------------------------------------------------ window paths

class Windows:
    def __init__(self):
        self.windows = []   # (object name, class name, [paths])
        self.texts = {}     # casefolded path -> English text, when known
        self.unnamed = []   # (window, what) of a text shown without a path

    def paths(self):
        result = []
        for _, _, paths in self.windows:
            result += paths
        return result

    def class_names(self):
        return {cls for _, cls, _ in self.windows}


def parse_window_list(text):
    windows = Windows()
    for raw in text.splitlines():
        line = raw.strip()
        if not line:
            continue
        if line.startswith("# window "):
            parts = line.split()
            windows.windows.append((parts[2], parts[3] if len(parts) > 3 else parts[2], []))
        elif line.startswith("; unnamed: ") and windows.windows:
            windows.unnamed.append((windows.windows[-1][0], line[len("; unnamed: "):]))
        elif line.startswith(";") and line.endswith("(names nothing in the window)") and windows.windows:
            # --texts writes a path that names nothing in its window as a comment.
            windows.windows[-1][2].append(line[1:].split()[0])
        elif line.startswith(";") or line.startswith("#"):
            continue
        elif windows.windows:
            path, sep, english = line.partition("=")
            windows.windows[-1][2].append(path)
            if sep:
                windows.texts[path.casefold()] = english
    return windows


class ToolError(Exception):
    """The window list could not be had from the build."""


def tool_path(build):
    return Path(build) / "bin" / "quillet-lng-windows"


def run_tool(build, texts=False):
    tool = tool_path(build)
    if not tool.is_file():
        raise ToolError("%s not found: build first (scripts/build.sh) or name the build folder with --build DIR"
                        % tool)
    env = dict(os.environ)
    env.setdefault("QT_QPA_PLATFORM", "offscreen")
    if hasattr(os, "geteuid") and os.geteuid() == 0:
        # The windows hold a web view, whose sandbox cannot run for root.
        env.setdefault("QTWEBENGINE_DISABLE_SANDBOX", "1")
    result = subprocess.run([str(tool)] + (["--texts"] if texts else []), capture_output=True, text=True, env=env,
                            timeout=300)
    if result.returncode != 0:
        raise ToolError("%s failed (exit %d): %s" % (tool, result.returncode, result.stderr.strip()))
    return result.stdout


def stale_tool_warning(build, root):
    tool = tool_path(build)
    try:
        built = tool.stat().st_mtime
    except OSError:
        return None
    newer = [p for p in (root / "src" / "ui").glob("*.cpp") if p.stat().st_mtime > built]
    if newer:
        return ("warning: %s is older than %s: rebuild for an up-to-date list of window paths"
                % (tool, newer[0].relative_to(root).as_posix()))
    return None


# ----------------------------------------------------------- language files

class LanguageFile:
    def __init__(self, path):
        self.path = path
        self.sections = {}   # casefolded section -> {casefolded key: (key, value, raw value, line)}
        self.problems = []   # (is_error, text)

    def error(self, text):
        self.problems.append((True, text))

    def warn(self, text):
        self.problems.append((False, text))


def read_language_file(path):
    """Reads a language file with the rules of the program's INI reader: names
    without regard to case, the first section and key of a name win, a value is
    the rest of the line after the first "=" with blanks trimmed and one pair of
    matching enclosing quotes removed."""
    lf = LanguageFile(path)
    data = Path(path).read_bytes()
    try:
        text = data.decode("utf-8")
    except UnicodeDecodeError as e:
        lf.error("is not valid UTF-8 (byte %d): the program would read it as Windows-1252; save it as UTF-8"
                 % e.start)
        text = data.decode("cp1252", errors="replace")
    if text.startswith("\ufeff"):
        text = text[1:]
    lines = re.split(r"\r\n|\n|\r", text)
    current = None
    seen_sections = set()
    for number, line in enumerate(lines, 1):
        trimmed = line.strip()
        if not trimmed:
            continue
        if trimmed.startswith("["):
            close = trimmed.find("]")
            name = (trimmed[1:] if close < 0 else trimmed[1:close]).strip()
            folded = name.casefold()
            if folded in seen_sections:
                lf.error("line %d: a second [%s] section is never read: move its lines into the first" % (number, name))
                current = {}
            else:
                seen_sections.add(folded)
                current = lf.sections.setdefault(folded, {})
            continue
        if trimmed.startswith(";"):
            continue
        if "=" not in line:
            lf.warn("line %d is neither a section, a comment nor key=value: it is ignored" % number)
            continue
        if current is None:
            lf.warn("line %d stands before any section: it is ignored" % number)
            continue
        key, _, raw = line.partition("=")
        key = key.strip()
        raw = raw.strip()
        value = raw
        if len(value) >= 2 and value[0] in "\"'" and value[-1] == value[0]:
            value = value[1:-1]
        folded = key.casefold()
        if folded in current:
            lf.error("line %d: the key %s is there already (line %d); only the first is read"
                     % (number, quote(key), current[folded][3]))
            continue
        current[folded] = (key, value, raw, number)
    return lf


def mnemonics(text):
    """The accelerator markers of a caption: single "&" not doubled."""
    return len(re.findall(r"(?<!&)&(?!&)", text.replace("&&", "")))


def check_value(lf, section, key, value, raw, line):
    where = "line %d, [%s] %s" % (line, section, quote(key))
    if value == "":
        # An empty window text keeps the window's own text; an empty message
        # would show as nothing.
        if section == "Messages":
            lf.error("%s: the translation is empty, so the message would show as nothing" % where)
        return
    if raw != value:
        lf.warn("%s: the value loses its enclosing quotes when read (%s becomes %s)"
                % (where, raw, value))
    source = PLACEHOLDER.findall(key) if section == "Messages" else []
    target = PLACEHOLDER.findall(value)
    if section == "Messages" and sorted(source) != sorted(target):
        lf.error("%s: the translation must hold the placeholders %s exactly as the English text does, has %s"
                 % (where, " ".join("%" + s for s in sorted(source)) or "(none)",
                    " ".join("%" + s for s in sorted(target)) or "(none)"))
    if section == "Messages" and "|" in key:
        english = key.split("|")
        translated = value.split("|")
        if len(english) != len(translated):
            lf.error("%s: a file filter keeps its structure: %d parts separated by \"|\", the translation has %d"
                     % (where, len(english), len(translated)))
        else:
            for i in range(1, len(english), 2):
                if english[i].strip() != translated[i].strip():
                    lf.error("%s: the file pattern %s must stay as it is (the translation has %s)"
                             % (where, quote(english[i]), quote(translated[i])))
    if mnemonics(value) > 1:
        lf.error("%s: more than one \"&\" accelerator marker (write \"&&\" for an ampersand)" % where)


def check_file(path, used_paths, used_messages, english_texts):
    lf = read_language_file(path)
    name = Path(path).stem
    wanted = [("Translations", used_paths)]
    if name != ENGLISH:
        wanted.append(("Messages", used_messages))
    missing = {}
    for section, keys in wanted:
        have = lf.sections.get(section.casefold(), {})
        for key in keys:
            if key.casefold() not in have:
                missing.setdefault(section, []).append(key)
    for section in ("Translations", "Messages"):
        have = lf.sections.get(section.casefold(), {})
        used = {k.casefold() for k in (used_paths if section == "Translations" else used_messages)}
        for folded, (key, value, raw, line) in have.items():
            if section == "Messages" and name == ENGLISH:
                lf.warn("line %d: [Messages] %s is never read: the language English shows the program's own texts"
                        % (line, quote(key)))
                continue
            if folded not in used:
                lf.warn("line %d: [%s] %s is no longer used by the code" % (line, section, quote(key)))
                continue
            check_value(lf, section, key, value, raw, line)
    for section in lf.sections:
        if section not in ("translations", "messages"):
            lf.warn("the section [%s] is not read by the program" % section)
    return lf, missing


# ------------------------------------------------------------------ output

def print_keys(paths, scan, where):
    print("[Translations]")
    for path in paths:
        print(path)
    print()
    print("[Messages]")
    for key, origins in sorted(scan.messages.values(), key=lambda e: e[0].casefold()):
        print(key)
        if where:
            for origin in origins:
                print("    ; %s" % origin)


def print_template(paths, scan, english_texts):
    print("; A language file for Quillet: translate each value after \"=\". Keys stay in English.")
    print("[Translations]")
    for path in paths:
        english = english_texts.get(path.casefold())
        if english is not None:
            print("; %s" % english)
        print("%s=" % path)
    print()
    print("[Messages]")
    for key, _ in sorted(scan.messages.values(), key=lambda e: e[0].casefold()):
        print("%s=" % key)


def report_file(path, lf, missing, english_texts, out):
    problems = 0
    for section in ("Translations", "Messages"):
        keys = missing.get(section, [])
        if not keys:
            continue
        problems += len(keys)
        out.write("%s: missing in [%s] (%d); add these lines with their translation:\n" % (path, section, len(keys)))
        for key in keys:
            english = english_texts.get(key.casefold())
            if section == "Translations" and english is not None:
                out.write("    ; English: %s\n" % english)
            out.write("    %s=\n" % key)
    for is_error, text in lf.problems:
        if is_error:
            problems += 1
        out.write("%s: %s%s\n" % (path, "" if is_error else "warning: ", text))
    return problems


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0],
                                     formatter_class=argparse.RawDescriptionHelpFormatter,
                                     epilog=__doc__.split("\n", 1)[1])
    parser.add_argument("files", nargs="*", help="language files to check")
    parser.add_argument("--check", action="store_true", help="check every *.lng file of lang/ (or FILES)")
    parser.add_argument("--where", action="store_true", help="show where each message is used")
    parser.add_argument("--template", action="store_true", help="print a new language file to fill in")
    parser.add_argument("--build", default=str(ROOT / "build"), help="the build folder (default: build/)")
    parser.add_argument("--source", default=str(ROOT), help="the source tree to scan (default: this checkout)")
    parser.add_argument("--windows", help="a saved output of quillet-lng-windows to use instead of running it")
    args = parser.parse_args(argv)

    root = Path(args.source)
    scan = scan_sources(root)
    if args.windows:
        windows = parse_window_list(Path(args.windows).read_text(encoding="utf-8"))
        stale = None
    else:
        try:
            windows = parse_window_list(run_tool(args.build))
        except ToolError as e:
            sys.stderr.write("lng-keys: %s\n" % e)
            return 2
        stale = stale_tool_warning(args.build, root)
    if stale:
        sys.stderr.write("lng-keys: %s\n" % stale)
    listed = windows.class_names()
    for rel, cls in scan.component_files:
        if cls not in listed:
            scan.errors.append("%s: %s makes a translation component, but its window is not in translatedWindows() "
                               "(src/ui/TranslatedWindows.cpp): add it there so its paths are listed and tested"
                               % (rel, cls))
    for window, what in windows.unnamed:
        scan.errors.append("%s shows a text without a path: %s; give the object a name (setObjectName) or mark a "
                           "text the code makes itself with WindowTexts::keepCodeText" % (window, what))
    paths = windows.paths()
    messages = [key for key, _ in scan.messages.values()]

    files = list(args.files)
    if args.check and not files:
        files = sorted(str(p) for p in (root / "lang").glob("*.lng"))
        if not files:
            sys.stderr.write("lng-keys: no *.lng file in %s\n" % (root / "lang"))
            return 1

    problems = 0
    for error in scan.errors:
        sys.stdout.write("error: %s\n" % error)
        problems += 1

    if not files:
        if args.template:
            english = windows.texts
            if not english and not args.windows:
                try:
                    english = parse_window_list(run_tool(args.build, texts=True)).texts
                except ToolError as e:
                    sys.stderr.write("lng-keys: %s (the template shows no English window texts)\n" % e)
            print_template(paths, scan, english)
        else:
            print_keys(paths, scan, args.where)
        return 1 if problems else 0

    results = []
    any_missing_paths = False
    for path in files:
        lf, missing = check_file(path, paths, messages, windows.texts)
        results.append((path, lf, missing))
        any_missing_paths = any_missing_paths or bool(missing.get("Translations"))
    english_texts = windows.texts
    if any_missing_paths and not english_texts and not args.windows:
        try:
            english_texts = parse_window_list(run_tool(args.build, texts=True)).texts
        except ToolError as e:
            sys.stderr.write("lng-keys: %s (the English texts of the missing paths are not shown)\n" % e)
    for path, lf, missing in results:
        problems += report_file(path, lf, missing, english_texts, sys.stdout)
    if problems == 0:
        sys.stdout.write("%d language file%s checked: every key the code uses is there (%d window paths, "
                         "%d messages)\n" % (len(files), "" if len(files) == 1 else "s", len(paths), len(messages)))
    return 1 if problems else 0


if __name__ == "__main__":
    if hasattr(signal, "SIGPIPE"):
        signal.signal(signal.SIGPIPE, signal.SIG_DFL)  # "| head" ends the listing quietly
    sys.exit(main())
