#!/usr/bin/env python3
"""The export list of quillet.dll, with the stdcall stack size of every export.

quillet.def lists the export names; include/quillet.h declares them. On 32-bit Windows a
__stdcall function `f` taking N bytes of arguments is the object symbol `_f@N`; the DLL exports
it undecorated as `f` and also as `f@N` for callers that link against decorated names.

  stdcall_exports.py dll-def    HEADER DEF OUT   the link-time def: `f = f@N` and `f@N`
  stdcall_exports.py import-def HEADER DEF OUT   the def for dlltool --kill-at: `f@N`, so that the
                                                 import library binds callers to the name `f`
  stdcall_exports.py caller     HEADER DEF OUT   a C program that takes the address of every export

A later family only declares its functions in the header and lists their names in quillet.def.
"""
import re
import sys

# Every argument of these types takes one 4-byte stack slot on i686; the 8-byte ones take two.
FOUR_BYTE_TYPES = {"int8_t", "uint8_t", "int16_t", "uint16_t", "int32_t", "uint32_t", "char",
                   "short", "int", "long", "unsigned", "signed", "float", "bool", "_Bool"}
EIGHT_BYTE_TYPES = {"int64_t", "uint64_t", "double"}

DECLARATION = re.compile(
    r"QL_API\s+(?P<result>[\w\s\*]+?)\s+QL_CALL\s+(?P<name>\w+)\s*\((?P<params>[^)]*)\)\s*(?:QL_NOTHROW\s*)?;")


class ExportError(Exception):
    pass


def strip_comments(text):
    text = re.sub(r"/\*.*?\*/", " ", text, flags=re.S)
    return re.sub(r"//[^\n]*", " ", text)


def argument_size(param, name):
    """Stack bytes of one declared parameter (`const uint8_t* data`, `int16_t offset`, `int32_t`)."""
    if "*" in param or "[" in param:
        return 4
    words = [w for w in re.findall(r"\w+", param) if w not in ("const", "volatile")]
    if words.count("long") == 2 or any(w in EIGHT_BYTE_TYPES for w in words):
        return 8
    if any(w in FOUR_BYTE_TYPES for w in words):
        return 4
    raise ExportError(f"{name}: cannot size the parameter '{param.strip()}'")


def declarations(header_text):
    """name -> stack bytes of its arguments, for every QL_API function of the header, in order."""
    found = {}
    for m in DECLARATION.finditer(strip_comments(header_text)):
        name = m.group("name")
        params = m.group("params").strip()
        if params in ("", "void"):
            size = 0
        else:
            size = sum(argument_size(p, name) for p in params.split(","))
        if name in found and found[name] != size:
            raise ExportError(f"{name}: declared twice with different arguments")
        found[name] = size
    return found


def listed_names(def_text):
    """The export names of a def file, in order (comments, ordinals and aliases stripped)."""
    names = []
    in_exports = False
    for line in def_text.splitlines():
        line = line.split(";", 1)[0].strip()
        if not line:
            continue
        if line.upper() == "EXPORTS":
            in_exports = True
            continue
        if in_exports:
            names.append(re.split(r"[\s=@]", line, maxsplit=1)[0])
    return names


def sized_exports(header_path, def_path):
    with open(header_path, encoding="utf-8") as f:
        sizes = declarations(f.read())
    with open(def_path, encoding="utf-8") as f:
        names = listed_names(f.read())
    missing = [n for n in names if n not in sizes]
    if missing:
        raise ExportError(f"{def_path} lists names that {header_path} does not declare: {' '.join(missing)}")
    duplicates = sorted({n for n in names if names.count(n) > 1})
    if duplicates:
        raise ExportError(f"{def_path} lists names twice: {' '.join(duplicates)}")
    return [(n, sizes[n]) for n in names]


def dll_def(exports):
    lines = ["; generated: every export undecorated and as its stdcall alias name@N", "LIBRARY quillet", "EXPORTS"]
    for name, size in exports:
        lines += [f"  {name} = {name}@{size}", f"  {name}@{size}"]
    return lines


def import_def(exports):
    lines = ["; generated: decorated names for dlltool --kill-at", "LIBRARY quillet.dll", "EXPORTS"]
    lines += [f"  {name}@{size}" for name, size in exports]
    return lines


def caller(exports):
    """A program that takes the address of every export: it links only when the import library
    has every name, and loads only when the DLL exports every one."""
    lines = ["/* generated: every export of quillet.dll, through its import library */",
             "#include <stdio.h>", "", '#include "quillet.h"', "",
             "typedef void (*any_function)(void);", "",
             "int main(void) {", "    const any_function every_export[] = {"]
    lines += [f"        (any_function)&{name}," for name, _ in exports]
    lines += ["    };", "    const size_t count = sizeof every_export / sizeof every_export[0];",
              "    for (size_t i = 0; i < count; ++i)",
              "        if (!every_export[i]) return 1;",
              '    printf("%u exports of quillet.dll resolved\\n", (unsigned)count);',
              "    return 0;", "}", ""]
    return lines


COMMANDS = {"dll-def": dll_def, "import-def": import_def, "caller": caller}


def main(argv):
    if len(argv) != 5 or argv[1] not in COMMANDS:
        print(__doc__, file=sys.stderr)
        return 2
    try:
        exports = sized_exports(argv[2], argv[3])
    except ExportError as e:
        print(f"stdcall_exports: {e}", file=sys.stderr)
        return 1
    text = "\n".join(COMMANDS[argv[1]](exports)) + "\n"
    try:
        with open(argv[4], encoding="utf-8") as f:
            if f.read() == text:
                return 0  # unchanged: keeps the link from running again
    except FileNotFoundError:
        pass
    with open(argv[4], "w", encoding="utf-8") as f:
        f.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
