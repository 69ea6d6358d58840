#!/usr/bin/env python3
"""windows-readme.txt for the Windows zip: the hand-written introduction (docs/windows-readme.txt)
followed by the declarations of every export of quillet.h for C, C# (P/Invoke) and Visual Basic
(VB6/VBA), generated so that they follow the header.

  windows_readme.py HEADER INTRODUCTION OUT
"""
import os
import sys

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "python", "quillet"))
import _header  # noqa: E402

# C type -> (C#, Visual Basic) for values and for pointers to them.
VALUES = {"int16_t": ("short", "Integer"), "uint16_t": ("ushort", "Integer"), "int32_t": ("int", "Long"),
          "uint32_t": ("uint", "Long"), "uint8_t": ("byte", "Byte"), "int8_t": ("sbyte", "Byte"),
          "float": ("float", "Single"), "double": ("double", "Double")}
CSHARP_KEYWORDS = {"in", "out", "ref", "params", "string", "object", "base", "event", "fixed", "lock", "operator"}
VB_KEYWORDS = {"xor", "and", "or", "not", "mod", "in", "is", "to", "step", "type", "string", "text", "len",
               "error", "get", "set", "let", "end", "open", "close", "name", "on"}


class ReadmeError(Exception):
    pass


def csharp_parameter(c_type, name):
    base = c_type.replace("const ", "")
    if base == "char*":
        return f"string {name}"
    if base == "uint8_t*":
        return f"byte[] {name}"
    if base.endswith("*") and base[:-1] in VALUES:
        return f"ref {VALUES[base[:-1]][0]} {name}"
    if base in VALUES:
        return f"{VALUES[base][0]} {name}"
    raise ReadmeError(f"no C# type for '{c_type}'")


def vb_parameter(c_type, name):
    base = c_type.replace("const ", "")
    if base == "char*":
        return f"ByVal {name} As String"
    if base.endswith("*") and base[:-1] in VALUES:
        return f"ByRef {name} As {VALUES[base[:-1]][1]}"
    if base in VALUES:
        return f"ByVal {name} As {VALUES[base][1]}"
    raise ReadmeError(f"no Visual Basic type for '{c_type}'")


def names(params, keywords):
    return [(t, (n or f"arg{i}") + ("_" if (n or "").lower() in keywords else "")) for i, (t, n) in enumerate(params)]


def declarations(functions):
    c, csharp, vb = [], [], []
    for name, (result, params) in functions.items():
        c.append(f"  {result} __stdcall {name}({', '.join(f'{t} {n}'.strip() for t, n in params) or 'void'});")
        cs_result = "void" if result == "void" else VALUES[result][0]
        cs_params = ", ".join(csharp_parameter(t, n) for t, n in names(params, CSHARP_KEYWORDS))
        csharp.append(f"  [DllImport(\"quillet.dll\", CallingConvention = CallingConvention.StdCall)]\n"
                      f"  public static extern {cs_result} {name}({cs_params});")
        vb_params = ", ".join(vb_parameter(t, n) for t, n in names(params, VB_KEYWORDS))
        vb_name = f"ql_{name} Lib \"quillet.dll\" Alias \"{name}\"" if name.lower() in VB_KEYWORDS \
            else f"{name} Lib \"quillet.dll\""
        if result == "void":
            vb.append(f"  Declare Sub {vb_name} ({vb_params})")
        else:
            vb.append(f"  Declare Function {vb_name} ({vb_params}) As {VALUES[result][1]}")
    return c, csharp, vb


def readme(header_text, introduction):
    bad = _header.unparsed_declarations(header_text)
    if bad:
        raise ReadmeError(f"declarations that cannot be read: {bad}")
    c, csharp, vb = declarations(_header.functions(header_text))
    parts = [introduction.rstrip("\n"), "",
             "Declarations: C", "----------------", *c, "",
             "Declarations: C#", "----------------",
             "  using System.Runtime.InteropServices;   // inside a static class", *csharp, "",
             "Declarations: Visual Basic (VB6, VBA)", "-------------------------------------",
             "  ' a byte buffer goes ByRef as its first element: buffer(0)", *vb, ""]
    return "\n".join(parts).replace("\n", "\r\n")  # a text file for Windows editors


def main(argv):
    if len(argv) != 4:
        print(__doc__, file=sys.stderr)
        return 2
    with open(argv[1], encoding="utf-8") as f:
        header_text = f.read()
    with open(argv[2], encoding="utf-8") as f:
        introduction = f.read().replace("\r\n", "\n")
    try:
        text = readme(header_text, introduction)
    except ReadmeError as e:
        print(f"windows_readme: {e}", file=sys.stderr)
        return 1
    with open(argv[3], "w", encoding="utf-8", newline="") as f:
        f.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
