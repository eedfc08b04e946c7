#!/usr/bin/env python3
"""The layout the code keeps (make layout-check, part of make test).

Fails, naming file and count, when
  - a file of framework/ or game/ is longer than 900 lines;
  - a function of framework/ is longer than 50 lines, or one of game/ longer
    than 40;
  - kWeb, or an #include of a "web/..." header, appears outside framework/web/
    (framework/fwConfig.h, which defines kWeb, aside): the game and the
    generic framework ask the platform's services (framework/fwPlatform.h),
    never the configuration.

A function's length is counted from the line that holds the opening brace of
its body to the line that holds the closing brace, both included. Functions
are the bodies at namespace scope and the member functions written inside
class bodies, in .cpp and .h files; lambdas, local classes and blocks inside
a function count in that function. The scan matches braces after removing
comments, string and character literals and preprocessor lines: enough for
this code base, not a C++ parser.

Usage: tools/check-layout.py [ROOT]   (ROOT: the repository, by default the
folder above this script's)
"""

import os
import re
import subprocess
import sys

MAX_FILE_LINES = 900
MAX_FUNCTION_LINES = {"framework": 50, "game": 40}
FAILING_FUNCTION_TREES = {"framework", "game"}
TREES = ("framework", "game")
WEB_TREE = "framework/web/"
KWEB_DEFINITION = "framework/fwConfig.h"
SOURCE_SUFFIXES = (".cpp", ".h")

KWEB = re.compile(r"\bkWeb\b")
WEB_INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]web/', re.MULTILINE)


def tracked_files(root):
    """The files git tracks under the trees, else every file found there."""
    try:
        out = subprocess.run(["git", "-C", root, "ls-files", "--", *TREES],
                             check=True, capture_output=True, text=True).stdout
        files = [line for line in out.splitlines() if line]
        if files:
            return sorted(files)
    except (OSError, subprocess.CalledProcessError):
        pass
    found = []
    for tree in TREES:
        for folder, _, names in os.walk(os.path.join(root, tree)):
            for name in names:
                found.append(os.path.relpath(os.path.join(folder, name), root))
    return sorted(found)


def blank_code(text):
    """text with comments, string and character literals and preprocessor
    lines replaced by spaces; line breaks stay where they were."""
    out = []
    i, n = 0, len(text)
    line_start = True
    while i < n:
        c = text[i]
        if line_start and c in " \t":
            out.append(c)
            i += 1
            continue
        if line_start and c == "#":
            # A preprocessor line, with its continuations.
            while i < n and text[i] != "\n":
                if text[i] == "\\" and i + 1 < n and text[i + 1] == "\n":
                    out.append(" \n")
                    i += 2
                    continue
                out.append(" ")
                i += 1
            continue
        line_start = False
        if text.startswith("//", i):
            while i < n and text[i] != "\n":
                out.append(" ")
                i += 1
            continue
        if text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            out.append(re.sub(r"[^\n]", " ", text[i:end]))
            i = end
            continue
        raw = re.match(r'R"([^(\s]*)\(', text[i:i + 20])
        if raw and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] == "_")):
            close = ")" + raw.group(1) + '"'
            end = text.find(close, i + raw.end())
            end = n if end < 0 else end + len(close)
            out.append('""' + re.sub(r"[^\n]", " ", text[i + 2:end]))
            i = end
            continue
        if c in "\"'":
            if c == "'" and i > 0 and text[i - 1].isalnum():
                out.append(c)  # a digit separator: 1'000
                i += 1
                continue
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            out.append(c + " " * (min(j, n) - i - 1) + (c if j < n else ""))
            i = j + 1
            continue
        if c == "\n":
            line_start = True
        out.append(c)
        i += 1
    return "".join(out)


SCOPE_KEYWORDS = re.compile(r"^(?:template\s*<.*>\s*)?(?:typedef\s+)?(class|struct|union|enum)\b")
NAMESPACE = re.compile(r"^(?:inline\s+)?namespace\b|^extern\s*\"\"\s*$")
ACCESS = re.compile(r"^(?:(?:public|protected|private)\s*:(?!:)\s*)+")
QUALIFIERS = {"const", "override", "final", "noexcept", "volatile", "mutable"}


def depth_zero(head):
    """head without what parentheses, brackets and angle brackets enclose."""
    out, depth = [], 0
    for c in head:
        if c in "([":
            depth += 1
        elif c in ")]":
            depth = max(0, depth - 1)
        elif depth == 0:
            out.append(c)
    return "".join(out)


def classify(head):
    """What a brace opens at namespace or class scope, from the text before it:
    'scope' (namespace, extern "C", class and the like), 'function', or
    'other' (an initializer, an enum's list)."""
    head = ACCESS.sub("", " ".join(head.split()))
    head = re.sub(r"^(?:\[\[.*?\]\]\s*)+", "", head)
    if NAMESPACE.search(head) or head == "":
        return "scope"
    kind = SCOPE_KEYWORDS.match(head)
    if kind and "(" not in head.split("{")[0].split(":")[0]:
        return "other" if kind.group(1) == "enum" else "scope"
    if "(" not in head or head.count("(") > head.count(")"):
        return "other"  # no parameter list, or a default argument's braces
    flat = re.sub(r"\boperator\s*[^\s(]+", "operator", head)
    if "=" in depth_zero(flat).replace("->", ""):
        return "other"
    return "function"


def in_initializer_list(head):
    """Does head end inside a constructor's member initializer list, at a
    member's braced initializer (x{...})?"""
    if not re.search(r"\)\s*:(?!:)", head) or not re.search(r"[\w>]\s*$", head):
        return False
    last = re.search(r"(\w+)\s*$", head)
    return last is None or last.group(1) not in QUALIFIERS


def functions(code):
    """(first line, last line, name) of every function body in code (lines 1-based)."""
    found = []
    stack = []  # 'scope' or ('skip', opening line) or ('function', opening line)
    head_start = 0
    line = 1
    i, n = 0, len(code)
    while i < n:
        c = code[i]
        if c == "\n":
            line += 1
        elif c == "{":
            inside = stack and stack[-1] != "scope"
            if inside:
                stack.append(("skip", line))
            else:
                head = code[head_start:i]
                if in_initializer_list(head):
                    stack.append(("skip", line))
                    i += 1
                    continue  # the head goes on after the member's braces
                kind = classify(head)
                stack.append("scope" if kind == "scope" else (kind, line, head))
            head_start = i + 1
        elif c == "}":
            top = stack.pop() if stack else "scope"
            if top != "scope" and top[0] == "function":
                found.append((top[1], line, function_name(top[2])))
            if not stack or stack[-1] == "scope":
                if not (top != "scope" and top[0] == "skip"):
                    head_start = i + 1
        elif c == ";" and (not stack or stack[-1] == "scope"):
            head_start = i + 1
        i += 1
    return found


def function_name(head):
    """The name in front of a function head's parameter list."""
    names = re.findall(r"([~\w:]+|operator\s*[^\s(]+)\s*\(", ACCESS.sub("", head.strip()))
    return names[0] if names else "?"


def check(root):
    failures, notes = [], []
    for path in tracked_files(root):
        full = os.path.join(root, path)
        if not os.path.isfile(full):
            continue
        try:
            with open(full, encoding="utf-8") as f:
                text = f.read()
        except (UnicodeDecodeError, OSError):
            continue
        lines = text.count("\n") + (0 if text.endswith("\n") or not text else 1)
        if lines > MAX_FILE_LINES:
            failures.append(f"{path}: {lines} lines (at most {MAX_FILE_LINES})")
        if not path.endswith(SOURCE_SUFFIXES):
            continue
        code = blank_code(text)
        if not path.startswith(WEB_TREE) and path != KWEB_DEFINITION:
            for number, code_line in enumerate(code.splitlines(), 1):
                if KWEB.search(code_line):
                    failures.append(f"{path}:{number}: kWeb outside {WEB_TREE}")
            for match in WEB_INCLUDE.finditer(text):
                number = text.count("\n", 0, match.start()) + 1
                failures.append(f"{path}:{number}: includes a header of {WEB_TREE}")
        tree = path.split("/", 1)[0]
        limit = MAX_FUNCTION_LINES[tree]
        for first, last, name in functions(code):
            length = last - first + 1
            if length <= limit:
                continue
            finding = (f"{path}:{first}: function {name} "
                       f"has {length} lines (at most {limit})")
            (failures if tree in FAILING_FUNCTION_TREES else notes).append(finding)
    return failures, notes


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(
        os.path.dirname(os.path.abspath(__file__)))
    failures, notes = check(root)
    for note in notes:
        print(f"layout: to mend: {note}")
    for failure in failures:
        print(f"layout: {failure}", file=sys.stderr)
    if failures:
        print(f"layout: {len(failures)} finding(s)", file=sys.stderr)
        return 1
    print(f"layout: framework/ and game/ keep their limits ({len(notes)} game/ function(s) "
          "over the limit listed above)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
