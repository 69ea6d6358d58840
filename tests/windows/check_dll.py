#!/usr/bin/env python3
"""Checks of quillet.dll as a Windows program sees it, from objdump's view of the files.

  check_dll.py exports    OBJDUMP DLL HEADER DEF  the export table holds exactly the names of DEF,
                                                  undecorated, and (32-bit) their aliases name@N
                                                  on the same code; HEADER and DEF agree; the DLL
                                                  imports only from KERNEL32 and msvcrt
  check_dll.py convention OBJDUMP DLL HEADER DEF  32-bit: every export returns popping the stack
                                                  bytes of its prototype in HEADER (stdcall)
  check_dll.py binds      OBJDUMP EXE HEADER DEF  a program linked with the import library imports
                                                  every name of DEF, undecorated, from quillet.dll
"""
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "cmake"))
import stdcall_exports  # noqa: E402

ALLOWED_IMPORTS = {"kernel32.dll", "msvcrt.dll"}


class Failure(Exception):
    pass


def run(*command):
    return subprocess.run(command, check=True, capture_output=True, text=True).stdout


class PeView:
    """The parts of `objdump -p` the checks need."""

    def __init__(self, text):
        self.text = text
        base = re.search(r"^ImageBase\s+([0-9a-fA-F]+)", text, re.M)
        self.image_base = int(base.group(1), 16) if base else 0
        self.machine_32 = bool(re.search(r"file format pei-i386", text))
        self.export_rvas = {}
        for m in re.finditer(r"^\s*\[\s*(\d+)\] \+base\[\s*\d+\] ([0-9a-fA-F]+) Export RVA", text, re.M):
            self.export_rvas[int(m.group(1))] = int(m.group(2), 16)
        self.exports = {}  # name -> index into the export address table
        table = re.search(r"^\[Ordinal/Name Pointer\] Table\n(.*?)(?:\n\s*\n|\Z)", text, re.M | re.S)
        if table:
            for m in re.finditer(r"^\s*\[\s*(\d+)\] (\S+)", table.group(1), re.M):
                self.exports[m.group(2)] = int(m.group(1))

    def rva(self, name):
        return self.export_rvas.get(self.exports[name])

    def imports(self):
        """DLL name -> list of imported names."""
        found = {}
        for block in re.finditer(r"DLL Name: (\S+)\n\s*vma:.*?\n(.*?)(?:\n\s*\n|\Z)", self.text, re.S):
            names = [m.group(1) for m in re.finditer(r"^\s*[0-9a-fA-F]+\s+\d+\s+(\S+)", block.group(2), re.M)]
            found[block.group(1)] = names
        return found


def expected_exports(header, listing, machine_32):
    exports = stdcall_exports.sized_exports(header, listing)
    names = {name for name, _ in exports}
    aliases = {f"{name}@{size}": name for name, size in exports} if machine_32 else {}
    return exports, names, aliases


def unlisted_declarations(header, listing):
    with open(header, encoding="utf-8") as f:
        declared = stdcall_exports.declarations(f.read())
    with open(listing, encoding="utf-8") as f:
        listed = set(stdcall_exports.listed_names(f.read()))
    return sorted(set(declared) - listed)


def check_exports(objdump, dll, header, listing):
    pe = PeView(run(objdump, "-p", dll))
    problems = []
    unlisted = unlisted_declarations(header, listing)
    if unlisted:
        problems.append(f"declared in {os.path.basename(header)} but not listed in quillet.def: {' '.join(unlisted)}")
    exports, names, aliases = expected_exports(header, listing, pe.machine_32)
    wanted = names | set(aliases)
    actual = set(pe.exports)
    if wanted - actual:
        problems.append(f"listed but not exported: {' '.join(sorted(wanted - actual))}")
    if actual - wanted:
        problems.append(f"exported but not listed (or decorated otherwise): {' '.join(sorted(actual - wanted))}")
    for alias, name in sorted(aliases.items()):
        if alias in actual and name in actual and pe.rva(alias) != pe.rva(name):
            problems.append(f"{alias} and {name} lead to different code")
    imports = pe.imports()
    if not any(d.lower() == "kernel32.dll" for d in imports):
        problems.append(f"no imports from KERNEL32 found (objdump's view changed?): {sorted(imports)}")
    foreign = sorted(d for d in imports if d.lower() not in ALLOWED_IMPORTS)
    if foreign:
        problems.append(f"imports from DLLs other than KERNEL32 and msvcrt: {' '.join(foreign)}")
    if problems:
        raise Failure("\n".join(problems))
    kind = f"{len(names)} undecorated + {len(aliases)} name@N aliases" if pe.machine_32 else f"{len(names)} names"
    print(f"{os.path.basename(dll)}: exports exactly the {kind}; imports only {' and '.join(sorted(imports))}")


INSTRUCTION = re.compile(r"^\s*([0-9a-f]+):\s+(.*?)\s*$")
LABEL = re.compile(r"^([0-9a-f]+) <(.+)>:$")
RETURN = re.compile(r"^(?:(?:repz|rep|bnd)\s+)?ret[lw]?(?:\s+\$0x([0-9a-f]+))?\b")
JUMP = re.compile(r"^jmp\s+([0-9a-f]+)\s+<")


def functions(disassembly):
    """start address -> (label, [instruction text]) for every labelled block of code."""
    blocks = {}
    current = None
    for line in disassembly.splitlines():
        label = LABEL.match(line)
        if label:
            current = []
            blocks[int(label.group(1), 16)] = (label.group(2), current)
            continue
        instruction = INSTRUCTION.match(line)
        if instruction and current is not None:
            current.append(instruction.group(2))
    return blocks


def popped_bytes(blocks, start, seen=()):
    """The set of byte counts the code at start pops on return; follows a tail jump to another function."""
    if start not in blocks or start in seen:
        return set()
    _, body = blocks[start]
    pops = set()
    for text in body:
        r = RETURN.match(text)
        if r:
            pops.add(int(r.group(1), 16) if r.group(1) else 0)
    tail = JUMP.match(body[-1]) if body else None
    if tail and int(tail.group(1), 16) in blocks:
        pops |= popped_bytes(blocks, int(tail.group(1), 16), seen + (start,))
    return pops


def check_convention(objdump, dll, header, listing):
    pe = PeView(run(objdump, "-p", dll))
    if not pe.machine_32:
        raise Failure(f"{dll} is not a 32-bit DLL: the stdcall convention exists only there")
    blocks = functions(run(objdump, "-d", "--no-show-raw-insn", dll))
    exports, _, _ = expected_exports(header, listing, True)
    problems = []
    checked = 0
    for name, size in exports:
        if name not in pe.exports:
            problems.append(f"{name}: not exported")
            continue
        pops = popped_bytes(blocks, pe.image_base + pe.rva(name))
        if not pops:
            problems.append(f"{name}: no return instruction found at its exported address")
        elif pops != {size}:
            problems.append(f"{name}: returns popping {sorted(pops)} bytes, its prototype takes {size}")
        checked += 1
    if problems:
        raise Failure("\n".join(problems))
    print(f"{os.path.basename(dll)}: all {checked} exports pop their argument bytes on return (stdcall)")


def check_binds(objdump, program, header, listing):
    pe = PeView(run(objdump, "-p", program))
    exports, names, _ = expected_exports(header, listing, False)
    imports = {d.lower(): n for d, n in pe.imports().items()}
    bound = set(imports.get("quillet.dll", []))
    problems = []
    if names - bound:
        problems.append(f"not imported by name from quillet.dll: {' '.join(sorted(names - bound))}")
    if bound - names:
        problems.append(f"imported under other names: {' '.join(sorted(bound - names))}")
    if problems:
        raise Failure("\n".join(problems))
    print(f"{os.path.basename(program)}: binds all {len(bound)} exports by their undecorated names")


COMMANDS = {"exports": check_exports, "convention": check_convention, "binds": check_binds}


def main(argv):
    if len(argv) != 6 or argv[1] not in COMMANDS:
        print(__doc__, file=sys.stderr)
        return 2
    try:
        COMMANDS[argv[1]](*argv[2:])
    except (Failure, stdcall_exports.ExportError) as e:
        print(f"FAILED: {argv[1]} check of {argv[3]}:\n{e}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
