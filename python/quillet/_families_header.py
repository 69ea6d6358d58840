"""The family catalogue of quillet_families.h as Python data: its row lists, expanded.

The build writes them once into ``_families.py``:

    python3 _families_header.py include/quillet_families.h build/python/quillet/_families.py

Every ``#define QL_FAMILY...(X)`` list becomes LISTS[name], a tuple of the rows' arguments (the
family's key first, then numbers as ints, strings and names as str); the QL_SHAPE_ and QL_CODE_
numbers are CONSTANTS.
"""
import pprint
import re
import sys

DEFINE = re.compile(r"^#define[ \t]+(\w+)(\([^)]*\))?[ \t]*((?:[^\n]*\\\n)*[^\n]*)", re.MULTILINE)


def _definitions(header_text):
    """name -> (parameters or None, body) of every #define, continuation lines joined."""
    found = {}
    for m in DEFINE.finditer(header_text):
        body = re.sub(r"\\\n", " ", m.group(3))
        body = re.sub(r"/\*.*?\*/", " ", body).strip()
        found[m.group(1)] = (m.group(2), body)
    return found


def _calls(body):
    """The argument lists of the row calls in a list's body: 'X(a, (b | c), "d")' -> [[a, (b | c), "d"]]."""
    rows, depth, current, argument, in_string = [], 0, None, "", False
    for i, c in enumerate(body):
        if in_string:
            argument += c
            in_string = c != '"'
        elif c == '"':
            argument += c
            in_string = True
        elif c == "(":
            if depth == 0:
                current, argument = [], ""
            else:
                argument += c
            depth += 1
        elif c == ")":
            depth -= 1
            if depth == 0:
                current.append(argument.strip())
                rows.append(current)
            else:
                argument += c
        elif c == "," and depth == 1:
            current.append(argument.strip())
            argument = ""
        elif depth > 0:
            argument += c
    return rows


def _value(text, constants):
    if text.startswith('"'):
        return text[1:-1]
    expression = re.sub(r"\b(QL_[A-Z_]+)\b", lambda m: str(constants[m.group(1)]), text)
    if re.fullmatch(r"[\d\s|()]+", expression):
        return eval(expression, {"__builtins__": {}})  # digits, '|' and parentheses only
    return text  # a key or an export's name


def catalogue(header_text):
    """(CONSTANTS, LISTS) of the header."""
    definitions = _definitions(header_text)
    constants = {name: int(body) for name, (parameters, body) in definitions.items()
                 if parameters is None and re.match(r"QL_(SHAPE|CODE)_", name) and body.isdigit()}
    lists = {}
    for name, (parameters, body) in definitions.items():
        if parameters and name.startswith("QL_FAMIL") and re.fullmatch(r"\(\w+\)", parameters):
            # the first argument is the family's key, a name even where it is all digits ("2042")
            lists[name] = tuple((row[0], *(_value(a, constants) for a in row[1:])) for row in _calls(body))
    return constants, lists


def module_text(header_text):
    """The text of _families.py."""
    constants, lists = catalogue(header_text)
    return ("# Generated from quillet_families.h by quillet/_families_header.py at build time; do not edit.\n"
            f"CONSTANTS = {pprint.pformat(constants, width=110)}\n\n"
            f"LISTS = {pprint.pformat(lists, width=110, sort_dicts=False)}\n")


def main(argv):
    if len(argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    with open(argv[1], encoding="utf-8") as f:
        text = module_text(f.read())
    with open(argv[2], "w", encoding="utf-8") as f:
        f.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
