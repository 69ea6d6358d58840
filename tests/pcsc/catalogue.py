"""The family catalogue (include/quillet_families.h) read by the tests: its family rows and zones."""
import os
import re
from dataclasses import dataclass, field

HEADER = os.path.join(os.path.dirname(__file__), "..", "..", "include", "quillet_families.h")
COLUMNS = "key alias type rank shape unit units write_units zones code kinds counter".split()
SHAPES = {"QL_SHAPE_FLAT": "flat", "QL_SHAPE_ZONED": "zoned", "QL_SHAPE_PAGED": "paged"}
KINDS = {"QL_CODE_SECURITY": 1, "QL_CODE_ERASE": 2, "QL_CODE_PER_ZONE": 4, "QL_CODE_PASSWORD_SETS": 8}


@dataclass
class Family:
    key: str
    type: int
    shape: str
    unit: int
    units: int
    write_units: int
    zones: int
    code: int
    kinds: int
    zone_rows: list = field(default_factory=list)  # (size, read_end, write_end, erase_code) by zone
    erases_all: bool = False  # the whole card erased in one call


def _macro(text, name):
    start = text.index(f"#define {name}(")
    body = []
    for line in text[start:].splitlines():
        body.append(line.rstrip("\\"))
        if not line.endswith("\\"):
            break
    return " ".join(body)


def _kinds(text):
    return sum(KINDS[name] for name in re.findall(r"QL_CODE_\w+", text)) if text.strip() != "0" else 0


def families():
    text = open(HEADER).read()
    rows = {}
    for args in re.findall(r"ROW\(([^()]*(?:\([^()]*\)[^()]*)*)\)", _macro(text, "QL_FAMILIES").split(" ", 2)[2]):
        values = [v.strip() for v in re.split(r",(?![^()]*\))", args)]
        row = dict(zip(COLUMNS, values))
        rows[row["key"]] = Family(row["key"], int(row["type"]), SHAPES[row["shape"]], int(row["unit"]),
                                  int(row["units"]), int(row["write_units"]), int(row["zones"]), int(row["code"]),
                                  _kinds(row["kinds"].strip("()")))
    for key, zone, *numbers in re.findall(r"Z\((\w+), (\d+), (\d+), (\d+), (\d+), (\d+)\)", _macro(text, "QL_FAMILY_ZONES")):
        assert int(zone) == len(rows[key].zone_rows)
        rows[key].zone_rows.append(tuple(int(n) for n in numbers))
    for key in re.findall(r"X\((\w+), \w+\)", _macro(text, "QL_FAMILY_ERASE_ALL")):
        rows[key].erases_all = True
    return list(rows.values())
