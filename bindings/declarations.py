"""The exports of quillet.h declared in C, C#, Free Pascal / Delphi and Visual Basic (VB6, VBA).

Every C type of the header has one shape (a value, an [out] pointer to one value, a byte buffer
or a text) and one type name in each language; a declaration is its function's shapes written in
that language's form. A C type that is not in the table stops the generator.
"""


class BindingError(Exception):
    pass


# C value type -> (C#, Pascal, Visual Basic): the same width and signedness (VB has no unsigned
# types: its Integer is 16 bits and Long 32 bits, as the header's signed types).
VALUES = {
    "int16_t": ("short", "SmallInt", "Integer"),
    "uint16_t": ("ushort", "Word", "Integer"),
    "int32_t": ("int", "LongInt", "Long"),
    "uint32_t": ("uint", "LongWord", "Long"),
    "uint8_t": ("byte", "Byte", "Byte"),
    "float": ("float", "Single", "Single"),
}
CSHARP, PASCAL, VB = range(3)

# Parameter forms by shape: {t} the language's value type, {n} the parameter's name.
FORMS = {
    "value": ("{t} {n}", "{n}: {t}", "ByVal {n} As {t}"),
    "out": ("out {t} {n}", "var {n}: {t}", "ByRef {n} As {t}"),
    "buffer": ("byte[] {n}", "{n}: PByte", "ByRef {n} As Byte"),
    "buffer_out": ("[In, Out] byte[] {n}", "{n}: PByte", "ByRef {n} As Byte"),
    "text": ("[MarshalAs(UnmanagedType.LPStr)] string {n}", "{n}: PAnsiChar", "ByVal {n} As String"),
}

# Words a parameter or function may not be named in each language (VB and Pascal ignore case).
RESERVED = (
    {"in", "out", "ref", "params", "string", "object", "base", "event", "fixed", "lock", "operator",
     "checked", "default", "is", "as", "new", "this"},
    {"and", "array", "as", "asm", "begin", "case", "class", "const", "constructor", "destructor", "div",
     "do", "downto", "else", "end", "except", "exports", "file", "finally", "for", "function", "goto",
     "if", "implementation", "in", "inherited", "inline", "interface", "is", "label", "library", "mod",
     "nil", "not", "object", "of", "on", "operator", "or", "out", "packed", "procedure", "program",
     "property", "raise", "record", "repeat", "set", "shl", "shr", "string", "then", "to", "try", "type",
     "unit", "until", "uses", "var", "while", "with", "xor", "result"},
    {"xor", "and", "or", "not", "mod", "in", "is", "to", "step", "type", "string", "text", "len", "error",
     "get", "set", "let", "end", "open", "close", "name", "on"},
)


def shape(c_type):
    """(shape, C value type or None) of a parameter type: ("out", "int16_t") for int16_t*."""
    if c_type == "const char*":
        return "text", None
    if c_type in ("uint8_t*", "const uint8_t*"):
        return ("buffer" if c_type.startswith("const ") else "buffer_out"), None
    if c_type.endswith("*") and c_type[:-1] in VALUES:
        return "out", c_type[:-1]
    if c_type in VALUES:
        return "value", c_type
    raise BindingError(f"no binding for the C type '{c_type}'")


def value_type(c_type, language):
    if c_type not in VALUES:
        raise BindingError(f"no binding for the C type '{c_type}'")
    return VALUES[c_type][language]


def parameter(c_type, name, position, language):
    name = name or f"arg{position}"
    if name.lower() in RESERVED[language]:
        name = "@" + name if language == CSHARP else name + "_"
    form, value = shape(c_type)
    return FORMS[form][language].format(t=value_type(value, language) if value else "", n=name)


def parameters(params, language):
    return [parameter(t, n, i, language) for i, (t, n) in enumerate(params)]


def c_declaration(name, result, params):
    return f"{result} __stdcall {name}({', '.join(f'{t} {n}'.strip() for t, n in params) or 'void'});"


def csharp_declaration(name, result, params):
    returned = "void" if result == "void" else value_type(result, CSHARP)
    return ("[DllImport(\"quillet\", CallingConvention = CallingConvention.StdCall)]\n"
            f"public static extern {returned} {name}({', '.join(parameters(params, CSHARP))});")


def pascal_declaration(name, result, params):
    own_name, alias = (f"ql_{name}", f" name '{name}'") if name.lower() in RESERVED[PASCAL] else (name, "")
    listed = f"({'; '.join(parameters(params, PASCAL))})" if params else ""
    head = f"procedure {own_name}{listed}" if result == "void" else \
        f"function {own_name}{listed}: {value_type(result, PASCAL)}"
    return f"{head}; stdcall; external 'quillet'{alias};"


def vb_declaration(name, result, params):
    own_name = f"ql_{name} Lib \"quillet.dll\" Alias \"{name}\"" if name.lower() in RESERVED[VB] \
        else f"{name} Lib \"quillet.dll\""
    listed = ", ".join(parameters(params, VB))
    if result == "void":
        return f"Declare Sub {own_name} ({listed})"
    return f"Declare Function {own_name} ({listed}) As {value_type(result, VB)}"


DECLARE = {"c": c_declaration, "csharp": csharp_declaration, "pascal": pascal_declaration, "vb": vb_declaration}


def declarations(functions, language):
    """The declaration of every function (name -> (result, params)) in language, in order."""
    return [DECLARE[language](name, result, params) for name, (result, params) in functions.items()]
