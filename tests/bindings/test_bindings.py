"""The generated bindings for C#, Free Pascal / Delphi and Visual Basic against quillet.h and
quillet.def, and the C# and Pascal session programs against the built library and the virtual reader."""
import os
import re
import shlex
import subprocess

import pytest

from quillet import _header

BINDINGS = os.environ["QUILLET_BINDINGS"]
SESSION_LIMIT_S = 120


def read(path):
    with open(path, encoding="utf-8") as f:
        return f.read()


def exports():
    """The names quillet.def lists."""
    lines = (line.split(";")[0].strip() for line in read(os.environ["QUILLET_DEF"]).splitlines())
    return [line for line in lines if line and line.split()[0] not in ("LIBRARY", "EXPORTS")]


def split(params, separator):
    """The parameters of a list, split at separator outside [attribute brackets]."""
    return [p.strip() for p in re.split(separator + r"(?![^\[]*\])", params) if p.strip()]


# Each language's types and the C types of quillet.h they stand for: the types' widths and
# signedness as the languages define them (VB6 has no unsigned types; Pascal's PByte does not say
# whether the bytes are read or written).
CSHARP_VALUES = {"short": {"int16_t"}, "ushort": {"uint16_t"}, "int": {"int32_t"}, "uint": {"uint32_t"},
                 "byte": {"uint8_t"}, "float": {"float"}}
PASCAL_VALUES = {"SmallInt": {"int16_t"}, "Word": {"uint16_t"}, "LongInt": {"int32_t"}, "LongWord": {"uint32_t"},
                 "Byte": {"uint8_t"}, "Single": {"float"}}
VB_VALUES = {"Integer": {"int16_t", "uint16_t"}, "Long": {"int32_t", "uint32_t"}, "Byte": {"uint8_t"},
             "Single": {"float"}}


def pointers(types):
    return {t + "*" for t in types}


def csharp_parameter(text):
    if text.startswith("[MarshalAs(UnmanagedType.LPStr)] string "):
        return {"const char*"}
    if text.startswith("[In, Out] byte[] "):
        return {"uint8_t*"}
    if text.startswith("byte[] "):
        return {"const uint8_t*"}
    words = text.split()
    if len(words) == 3 and words[0] == "out":
        return pointers(CSHARP_VALUES[words[1]])
    assert len(words) == 2, text
    return CSHARP_VALUES[words[0]]


def csharp_declarations(text):
    """name -> (C result types, [C types of each parameter]) of every extern in Quillet.cs, each
    checked to follow its DllImport of the library with stdcall."""
    found = {}
    pattern = r'( *)\[DllImport\("quillet", CallingConvention = CallingConvention\.StdCall\)\]\n\1' \
              r'public static extern (\w+) (\w+)\((.*)\);'
    for m in re.finditer(pattern, text):
        result = {"void"} if m.group(2) == "void" else CSHARP_VALUES[m.group(2)]
        found[m.group(3)] = (result, [csharp_parameter(p) for p in split(m.group(4), ",")])
    assert len(found) == text.count(" extern "), "every extern has its DllImport"
    return found


def pascal_parameter(text):
    name, _, kind = text.partition(": ")
    if kind == "PAnsiChar":
        return {"const char*"}
    if kind == "PByte":
        return {"uint8_t*", "const uint8_t*"}
    if name.startswith("var "):
        return pointers(PASCAL_VALUES[kind])
    return PASCAL_VALUES[kind]


def pascal_declarations(text):
    found = {}
    pattern = r"^(function|procedure) (\w+)(?:\((.*?)\))?(?:: (\w+))?; stdcall; external 'quillet'(?: name '(\w+)')?;$"
    for m in re.finditer(pattern, text, re.M):
        result = {"void"} if m.group(1) == "procedure" else PASCAL_VALUES[m.group(4)]
        found[m.group(5) or m.group(2)] = (result, [pascal_parameter(p) for p in split(m.group(3) or "", ";")])
    assert len(found) == len(re.findall(r"\bexternal\b", text)), "every external declaration is read"
    return found


def vb_parameter(text):
    passing, name, _, kind = text.split()
    if passing == "ByVal" and kind == "String":
        return {"const char*"}
    if passing == "ByRef" and kind == "Byte":
        return {"uint8_t*", "const uint8_t*"}
    return pointers(VB_VALUES[kind]) if passing == "ByRef" else VB_VALUES[kind]


def vb_declarations(text):
    """The Declare lines after the readme's heading of the generated Visual Basic declarations."""
    text = text.partition("Declarations: Visual Basic")[2]
    found = {}
    pattern = r'^  Declare (Function|Sub) (\w+) Lib "quillet\.dll"(?: Alias "(\w+)")? \((.*)\)(?: As (\w+))?\r?$'
    for m in re.finditer(pattern, text, re.M):
        result = {"void"} if m.group(1) == "Sub" else VB_VALUES[m.group(5)]
        found[m.group(3) or m.group(2)] = (result, [vb_parameter(p) for p in split(m.group(4), ",")])
    assert len(found) == len(re.findall(r"^  Declare ", text, re.M)), "every Declare line is read"
    return found


LANGUAGES = {
    "csharp": ("Quillet.cs", csharp_declarations),
    "pascal": ("quillet.pas", pascal_declarations),
    "vb": ("windows-readme.txt", vb_declarations),
}


@pytest.mark.parametrize("language", LANGUAGES)
def test_every_export_is_declared_in_the_headers_types(language):
    file, parse = LANGUAGES[language]
    declared = parse(read(os.path.join(BINDINGS, file)))
    names = exports()
    assert len(names) == 291 and sorted(declared) == sorted(names)
    for name, (result, params) in _header.functions(read(os.environ["QUILLET_HEADER"])).items():
        declared_result, declared_params = declared[name]
        assert result in declared_result, name
        assert len(params) == len(declared_params), name
        for (c_type, parameter), allowed in zip(params, declared_params):
            assert c_type in allowed, f"{name}({parameter}): {c_type} declared as one of {sorted(allowed)}"


@pytest.mark.parametrize("language", ["csharp", "pascal"])
def test_a_session_through_the_binding(sle4442, tmp_path, language):
    command = os.environ.get(f"QUILLET_{language.upper()}_SESSION")
    if not command:
        pytest.skip(f"no compiler for the {language} session (see the CMake warning)")
    run = subprocess.run(shlex.split(command), cwd=tmp_path, capture_output=True, text=True, timeout=SESSION_LIMIT_S)
    print(run.stdout, run.stderr)
    assert run.returncode == 0, run.stdout + run.stderr
    checks = run.stdout.splitlines()
    assert len([line for line in checks if line.startswith("ok ")]) == 12 and "version QVR-VIRTUAL1" in checks
    card = sle4442.contents()
    assert card[0x40:0x47] == b"Quillet" and card[0x50:0x54] == b"Q#12"
