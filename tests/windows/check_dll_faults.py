#!/usr/bin/env python3
"""check_dll_faults.py OBJDUMP DLL HEADER DEF: the checks of check_dll.py reject the faults they
are there for. Each case changes a copy of the header or of the export list so that it no longer
matches the DLL, and the check must fail naming the export concerned."""
import os
import re
import sys
import tempfile

import check_dll


def altered(directory, path, pattern, replacement):
    """A copy of path, in a directory of its own, with the first match of pattern replaced."""
    with open(path, encoding="utf-8") as f:
        text = f.read()
    changed, n = re.subn(pattern, replacement, text, count=1, flags=re.M)
    if n != 1:
        raise SystemExit(f"check_dll_faults: '{pattern}' not found in {path}")
    copy = os.path.join(tempfile.mkdtemp(dir=directory), os.path.basename(path))
    with open(copy, "w", encoding="utf-8") as f:
        f.write(changed)
    return copy


def main(objdump, dll, header, listing):
    pe = check_dll.PeView(check_dll.run(objdump, "-p", dll))
    with tempfile.TemporaryDirectory() as d:
        # A prototype one argument longer than the compiled function.
        longer = altered(d, header, r"ic_exit\(int32_t handle\)", "ic_exit(int32_t handle, int32_t extra)")
        # A name the DLL exports that the list forgot.
        shorter = altered(d, listing, r"^\s*ic_exit\s*$\n", "")
        # A name listed that the code does not define (declared in the header copy too).
        extra_header = altered(d, header, r"^(QL_API int16_t QL_CALL ic_exit\(.*)$",
                               r"\1\nQL_API int16_t QL_CALL ic_vanished(int32_t handle) QL_NOTHROW;")
        extra_list = altered(d, listing, r"^(\s*)ic_exit\s*$", r"\1ic_exit\n\1ic_vanished")
        cases = [
            ("exports", header, shorter, "exported but not listed", "ic_exit"),
            ("exports", extra_header, extra_list, "listed but not exported", "ic_vanished"),
        ]
        if pe.machine_32:
            cases += [
                ("exports", longer, listing, "listed but not exported", "ic_exit@8"),
                ("convention", longer, listing, "ic_exit: returns popping [4] bytes, its prototype takes 8", "ic_exit"),
            ]
        failures = 0
        for command, h, l, message, name in cases:
            try:
                check_dll.COMMANDS[command](objdump, dll, h, l)
                outcome = "passed although it must fail"
            except check_dll.Failure as e:
                named = any(message in line and name in line for line in str(e).splitlines())
                outcome = None if named else f"failed for another reason: {e}"
            if outcome:
                failures += 1
                print(f"FAILED: the {command} check with {os.path.basename(h)}/{os.path.basename(l)} altered {outcome}")
            else:
                print(f"ok: the {command} check reports '{message}'")
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 5:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    sys.exit(main(*sys.argv[1:]))
