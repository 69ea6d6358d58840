"""The declarations of quillet.h as data: every exported function with its C result and parameter
types, and every status code with its name and meaning.

The package's typed signatures come from here, so they follow the header by themselves. The build
writes them once into ``_signatures.py``:

    python3 _header.py include/quillet.h build/python/quillet/_signatures.py
"""
import pprint
import re
import sys

# QL_API <result> QL_CALL <name>(<params>) [QL_NOTHROW, other words, an asm label("name" or MACRO)];
DECLARATION = re.compile(
    r"QL_API\s+(?P<result>[\w\s\*]+?)\s*QL_CALL\s+(?P<name>\w+)\s*\((?P<params>[^()]*)\)"
    r"(?P<tail>(?:\s*\w+(?:\s*\(\s*(?:\"[^\"]*\"|\w+)\s*\))?)*)\s*;")
# A line that starts a declaration: every one of them must match DECLARATION.
DECLARATION_START = re.compile(r"^[ \t]*(?P<api>QL_API)\s", re.M)
STATUS = re.compile(
    r"^[ \t]*#define\s+(?P<name>QL_\w+)\s+\(?\s*(?P<value>-?\d+)\s*\)?[ \t]*(?:/\*\*<\s*(?P<meaning>.*?)\s*\*/)?[ \t]*$",
    re.M)
TYPE_WORDS = {"const", "volatile", "unsigned", "signed", "void", "char", "short", "int", "long", "float",
              "double", "bool", "_Bool", "size_t", "int8_t", "uint8_t", "int16_t", "uint16_t", "int32_t",
              "uint32_t", "int64_t", "uint64_t"}


def strip_comments(text):
    text = re.sub(r"/\*.*?\*/", " ", text, flags=re.S)
    return re.sub(r"//[^\n]*", " ", text)


def normal_type(text):
    """`const uint8_t *` -> `const uint8_t*`: words single-spaced, stars against the type."""
    text = re.sub(r"\s+", " ", text).strip()
    return re.sub(r"\s*\*\s*", "*", text)


def parameter(text):
    """`const uint8_t* data` -> ("const uint8_t*", "data"); `int32_t` -> ("int32_t", "")."""
    text = text.strip()
    m = re.match(r"^(?P<type>.*?[\s\*])(?P<name>\w+)$", text)
    if m and m.group("name") not in TYPE_WORDS:
        return normal_type(m.group("type")), m.group("name")
    return normal_type(text), ""


def functions(header_text):
    """name -> (result type, ((type, name), ...)), in the header's order."""
    found = {}
    for m in DECLARATION.finditer(strip_comments(header_text)):
        if "__asm__" in m.group("tail"):
            continue  # a second name for another export (ql_xor for C++), not an export itself
        params = m.group("params").strip()
        parsed = () if params in ("", "void") else tuple(parameter(p) for p in params.split(","))
        found[m.group("name")] = (normal_type(m.group("result")), parsed)
    return found


def unparsed_declarations(header_text):
    """Declarations that start with QL_API but that functions() cannot read: should be none."""
    text = strip_comments(header_text)
    matched = {m.start() for m in DECLARATION.finditer(text)}
    return [text[m.start("api"):text.find(";", m.start())].strip() for m in DECLARATION_START.finditer(text)
            if m.start("api") not in matched]


# A documentation comment that ends right before a line (the meaning of a code documented above it).
COMMENT_BEFORE = re.compile(r"/\*\*(?P<text>(?:[^*]|\*(?!/))*)\*/\s*$")


def meaning_above(header_text, position):
    """The text of the /** */ comment that ends just before position, single-spaced; "" if none."""
    m = COMMENT_BEFORE.search(header_text[max(0, position - 1000):position])
    return " ".join(m.group("text").replace("*", " ").split()) if m else ""


def statuses(header_text):
    """status code -> ((name, meaning), ...): the QL_ codes of 0 and below (several names may share one).
    The meaning is the comment after the code, or the one just above its line."""
    found = {}
    for m in STATUS.finditer(header_text):
        value = int(m.group("value"))
        if value <= 0:
            meaning = m.group("meaning") or meaning_above(header_text, m.start())
            found.setdefault(value, []).append((m.group("name"), meaning))
    return {value: tuple(names) for value, names in found.items()}


def module_text(header_text):
    """The text of _signatures.py."""
    return ("# Generated from quillet.h by quillet/_header.py at build time; do not edit.\n"
            f"FUNCTIONS = {pprint.pformat(functions(header_text), width=110, sort_dicts=False)}\n\n"
            f"STATUSES = {pprint.pformat(statuses(header_text), width=110)}\n")


def main(argv):
    if len(argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    with open(argv[1], encoding="utf-8") as f:
        header_text = f.read()
    bad = unparsed_declarations(header_text)
    if bad:
        print("quillet.h: declarations that cannot be read:\n  " + "\n  ".join(bad), file=sys.stderr)
        return 1
    text = module_text(header_text)
    try:
        with open(argv[2], encoding="utf-8") as f:
            if f.read() == text:
                return 0
    except FileNotFoundError:
        pass
    with open(argv[2], "w", encoding="utf-8") as f:
        f.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
