#!/usr/bin/env python3
"""The bindings of quillet.h for other languages, generated from the header so that they follow it:

  generate.py csharp HEADER Quillet.cs.in OUT     C#: Quillet.Native (P/Invoke) and the Reader layer
  generate.py pascal HEADER quillet.pas.in OUT    Free Pascal / Delphi: the unit quillet
  generate.py readme HEADER INTRODUCTION OUT      windows-readme.txt: the introduction, then the
                                                  C and Visual Basic declarations of every export

A template line that holds only @NAME@ is replaced by the generated lines NAME, at its indent.
"""
import os
import re
import sys

sys.dont_write_bytecode = True  # nothing written into the source tree
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "python", "quillet"))
import _header  # noqa: E402
from declarations import BindingError, declarations  # noqa: E402

MARKER = re.compile(r"^(?P<indent>[ \t]*)@(?P<name>[A-Z_]+)@[ \t]*$", re.M)


def status_names(statuses):
    """status -> "QL_A/QL_B": every name of the code."""
    return {value: "/".join(name for name, _ in names) for value, names in statuses.items()}


def csharp_text(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def pascal_text(text):
    return "'" + text.replace("'", "''") + "'"


def csharp_parts(functions, statuses):
    lines = []
    for declaration in declarations(functions, "csharp"):
        lines += declaration.split("\n")
    return {
        "DECLARATIONS": lines,
        "STATUS_CONSTANTS": [f"public const short {name} = {value}; // {meaning}"
                             for value, names in statuses.items() for name, meaning in names],
        "STATUS_NAMES": [f"{{ {value}, {csharp_text(names)} }}," for value, names in status_names(statuses).items()],
        "STATUS_MEANINGS": [f"{{ {value}, {csharp_text(names[0][1])} }}," for value, names in statuses.items()],
    }


def pascal_parts(functions, statuses):
    return {
        "DECLARATIONS": declarations(functions, "pascal"),
        "STATUS_CONSTANTS": [f"{name} = {value}; {{ {meaning.replace('}', ')')} }}"
                             for value, names in statuses.items() for name, meaning in names],
        "STATUS_NAMES": [f"{value}: Result := {pascal_text(names)};" for value, names in status_names(statuses).items()],
        "STATUS_MEANINGS": [f"{value}: Result := {pascal_text(names[0][1])};" for value, names in statuses.items()],
    }


def filled(template, parts):
    """template with each marker line replaced by its part, indented as the marker."""
    def replace(m):
        if m.group("name") not in parts:
            raise BindingError(f"the template names no generated part @{m.group('name')}@")
        return "\n".join(m.group("indent") + line for line in parts[m.group("name")])
    return MARKER.sub(replace, template)


def readme(functions, introduction):
    parts = [introduction.rstrip("\n"), "",
             "Declarations: C", "---------------", *("  " + d for d in declarations(functions, "c")), "",
             "Declarations: Visual Basic (VB6, VBA)", "-------------------------------------",
             "  ' a byte buffer goes ByRef as its first element: buffer(0)",
             *("  " + d for d in declarations(functions, "vb")), ""]
    return "\n".join(parts).replace("\n", "\r\n")  # a text file for Windows editors


def generated(kind, header_text, source_text):
    bad = _header.unparsed_declarations(header_text)
    if bad:
        raise BindingError(f"declarations that cannot be read: {bad}")
    functions, statuses = _header.functions(header_text), _header.statuses(header_text)
    if kind == "csharp":
        return filled(source_text, csharp_parts(functions, statuses))
    if kind == "pascal":
        return filled(source_text, pascal_parts(functions, statuses))
    return readme(functions, source_text)


def main(argv):
    if len(argv) != 5 or argv[1] not in ("csharp", "pascal", "readme"):
        print(__doc__, file=sys.stderr)
        return 2
    with open(argv[2], encoding="utf-8") as f:
        header_text = f.read()
    with open(argv[3], encoding="utf-8") as f:
        source_text = f.read().replace("\r\n", "\n")
    try:
        text = generated(argv[1], header_text, source_text)
    except BindingError as e:
        print(f"generate.py: {e}", file=sys.stderr)
        return 1
    with open(argv[4], "w", encoding="utf-8", newline="") as f:
        f.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
