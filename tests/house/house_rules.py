#!/usr/bin/env python3
"""The rules that keep the source tree readable, checked on every test run.

usage: house_rules.py SRC_DIR WIDGET_HEADER_DIR...

1. core/ includes nothing of the project, and the folders' includes form no
   circle (a folder is a subsystem; see src/README.md).
2. A Qt Widgets or Qt Print Support header is included only by a screen file
   (*_screen.h/.cpp, *_screens.h/.cpp), or in app/ or ui/.
3. No function is longer than 80 lines.
4. No source file is longer than 500 lines.
5. Every header declares its names in namespace baisuu.

Prints every breach with its file and line and exits 1 when there is one.
"""
import os
import re
import sys

MAX_FUNCTION_LINES = 80
MAX_FILE_LINES = 500
WIDGET_FOLDERS = {"app", "ui"}

PROJECT_INCLUDE = re.compile(r'^\s*#\s*include\s*"([a-z_]+)/')
SYSTEM_INCLUDE = re.compile(r"^\s*#\s*include\s*<([^>]+)>")


def source_files(src):
    for folder in sorted(os.listdir(src)):
        path = os.path.join(src, folder)
        if not os.path.isdir(path):
            continue
        for name in sorted(os.listdir(path)):
            if name.endswith((".h", ".cpp")):
                yield folder, name, os.path.join(path, name)


def widget_headers(dirs):
    names = set()
    for d in dirs:
        module = os.path.basename(os.path.normpath(d))
        for name in os.listdir(d):
            if not name.endswith(".h"):
                names.add(name)
                names.add(module + "/" + name)
    return names


def strip_code(text):
    """The text with comments, strings and character literals blanked out,
    line ends kept, so braces can be counted."""
    out = []
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            j = text.find("\n", i)
            i = n if j < 0 else j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            out.append("\n" * text.count("\n", i, j))
            i = j
        elif c == "R" and text.startswith('R"', i):
            m = re.match(r'R"([^(]*)\(', text[i:])
            end = text.find(")" + m.group(1) + '"', i) if m else -1
            j = n if end < 0 else end + len(m.group(1)) + 2
            out.append("\n" * text.count("\n", i, j))
            i = j
        elif c in "\"'":
            j = i + 1
            while j < n and text[j] != c:
                j += 2 if text[j] == "\\" else 1
            out.append(c + c)
            i = j + 1
        elif c == "#" and (i == 0 or text[i - 1] == "\n"):
            j = i
            while True:  # a preprocessor line, with its continuations
                k = text.find("\n", j)
                if k < 0 or text[k - 1] != "\\":
                    break
                j = k + 1
            k = n if k < 0 else k
            out.append("\n" * text.count("\n", i, k))
            i = k
        else:
            out.append(c)
            i += 1
    return "".join(out)


CONTROL = re.compile(r"\b(if|for|while|switch|catch|do|else|try)\b")
SCOPE = re.compile(r"\b(namespace|class|struct|union|enum)\b")


def long_functions(text):
    """(name, first line, length) of every function body longer than the limit.
    A body is a brace block opened at namespace or class level whose header
    holds a parameter list; lambdas and blocks inside a body count as part of it."""
    code = strip_code(text)
    stack = []  # (kind, line, header)
    header_start = 0
    line = 1
    found = []
    for pos, c in enumerate(code):
        if c == "\n":
            line += 1
        elif c == "{":
            header = code[header_start:pos]
            outer = not stack or stack[-1][0] == "scope"
            if outer and SCOPE.search(header) and "(" not in header.split("{")[0].split("=")[0]:
                kind = "scope"
            elif outer and "(" in header and "=" not in header.split("(")[0]:
                kind = "function"
            else:
                kind = "block"
            stack.append((kind, line, header))
            header_start = pos + 1
        elif c == "}":
            if stack:
                kind, first, header = stack.pop()
                length = line - first + 1
                if kind == "function" and length > MAX_FUNCTION_LINES:
                    name = re.findall(r"([~\w:]+)\s*\(", header)
                    found.append((name[0] if name else "?", first, length))
            header_start = pos + 1
        elif c == ";":
            header_start = pos + 1
        elif c == ":" and stack and stack[-1][0] == "scope":
            # access specifiers (public:) end a header; a scope's "::" does not
            if code[pos - 1] != ":" and code[pos + 1 : pos + 2] != ":":
                before = code[header_start:pos].strip()
                if before in ("public", "private", "protected", "Q_SIGNALS", "Q_SLOTS",
                              "public Q_SLOTS", "private Q_SLOTS", "protected Q_SLOTS"):
                    header_start = pos + 1
    return found


def folder_includes(src):
    edges = {}
    for folder, name, path in source_files(src):
        with open(path, encoding="utf-8") as f:
            for number, text in enumerate(f, 1):
                m = PROJECT_INCLUDE.match(text)
                if m and m.group(1) != folder:
                    edges.setdefault(folder, {}).setdefault(m.group(1), f"{path}:{number}")
    return edges


def circle(edges):
    """One circle of folders as a list, or None."""
    state = {}

    def visit(node, path):
        state[node] = "open"
        for nxt in sorted(edges.get(node, {})):
            if state.get(nxt) == "open":
                return path[path.index(nxt):] + [nxt]
            if nxt not in state:
                found = visit(nxt, path + [nxt])
                if found:
                    return found
        state[node] = "done"
        return None

    for node in sorted(edges):
        if node not in state:
            found = visit(node, [node])
            if found:
                return found
    return None


def main(argv):
    src = argv[1]
    widgets = widget_headers(argv[2:])
    breaches = []

    edges = folder_includes(src)
    for target, where in sorted(edges.get("core", {}).items()):
        breaches.append(f"{where}: core/ includes {target}/ (core depends on nothing above it)")
    found = circle(edges)
    if found:
        steps = ", ".join(
            f"{a} -> {b} ({edges[a][b]})" for a, b in zip(found, found[1:]))
        breaches.append(f"the folders' includes form a circle: {steps}")

    for folder, name, path in source_files(src):
        with open(path, encoding="utf-8") as f:
            text = f.read()
        lines = text.split("\n")
        screen = re.search(r"_screens?\.(h|cpp)$", name)
        if folder not in WIDGET_FOLDERS and not screen:
            for number, line in enumerate(lines, 1):
                m = SYSTEM_INCLUDE.match(line)
                if m and m.group(1) in widgets:
                    breaches.append(f"{path}:{number}: <{m.group(1)}> is a widget header, "
                                    "but this is not a screen file nor in app/ or ui/")
        count = len(lines) - (1 if text.endswith("\n") else 0)
        if count > MAX_FILE_LINES:
            breaches.append(f"{path}: {count} lines (at most {MAX_FILE_LINES})")
        for function, first, length in long_functions(text):
            breaches.append(f"{path}:{first}: {function} is {length} lines "
                            f"(at most {MAX_FUNCTION_LINES})")
        if name.endswith(".h") and not re.search(r"^namespace baisuu \{", text, re.M):
            breaches.append(f"{path}: its names are not in namespace baisuu")

    for breach in breaches:
        print(breach)
    print(f"{len(breaches)} breach(es) of the house rules" if breaches else "house rules hold")
    return 1 if breaches else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
