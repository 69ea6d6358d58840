"""A build backend (PEP 517) for the quillet package that needs nothing but the standard library.

The wheel holds the package's modules, _signatures.py generated from the checkout's
include/quillet.h (or the header named by QUILLET_HEADER) and _families.py generated from
include/quillet_families.h beside it. The package loads libquillet at run
time; the wheel carries no library.
"""
import base64
import hashlib
import os
import re
import sys
import zipfile
from pathlib import Path

HERE = Path(__file__).resolve().parent.parent
PACKAGE = HERE / "quillet"
NAME = "quillet"
TAG = "py3-none-any"


def _version():
    text = (PACKAGE / "__init__.py").read_text(encoding="utf-8")
    return re.search(r'^__version__ = "([^"]+)"', text, re.M).group(1)


def _signatures():
    sys.dont_write_bytecode = True  # nothing written into the source tree
    sys.path.insert(0, str(PACKAGE))
    try:
        import _header
    finally:
        sys.path.pop(0)
    header = Path(os.environ.get("QUILLET_HEADER") or HERE.parent / "include" / "quillet.h")
    text = header.read_text(encoding="utf-8")
    bad = _header.unparsed_declarations(text)
    if bad:
        raise RuntimeError(f"{header}: declarations that cannot be read: {bad}")
    return _header.module_text(text)


def _families():
    sys.dont_write_bytecode = True
    sys.path.insert(0, str(PACKAGE))
    try:
        import _families_header
    finally:
        sys.path.pop(0)
    header = Path(os.environ.get("QUILLET_HEADER") or HERE.parent / "include" / "quillet.h")
    return _families_header.module_text((header.parent / "quillet_families.h").read_text(encoding="utf-8"))


def _metadata(version):
    return (f"Metadata-Version: 2.1\nName: {NAME}\nVersion: {version}\n"
            "Summary: Contact IC card readers through the quillet library (ctypes)\n"
            "Requires-Python: >=3.7\n")


def _record_line(path, data):
    digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=").decode()
    return f"{path},sha256={digest},{len(data)}"


def get_requires_for_build_wheel(config_settings=None):
    return []


def build_wheel(wheel_directory, config_settings=None, metadata_directory=None):
    version = _version()
    dist_info = f"{NAME}-{version}.dist-info"
    generated = ("_signatures.py", "_families.py")
    files = {f"{NAME}/{p.name}": p.read_bytes() for p in sorted(PACKAGE.glob("*.py")) if p.name not in generated}
    files[f"{NAME}/_signatures.py"] = _signatures().encode("utf-8")
    files[f"{NAME}/_families.py"] = _families().encode("utf-8")
    files[f"{dist_info}/METADATA"] = _metadata(version).encode("utf-8")
    files[f"{dist_info}/WHEEL"] = (f"Wheel-Version: 1.0\nGenerator: quillet_build\nRoot-Is-Purelib: true\n"
                                   f"Tag: {TAG}\n").encode("utf-8")
    record = [_record_line(path, data) for path, data in files.items()] + [f"{dist_info}/RECORD,,"]
    files[f"{dist_info}/RECORD"] = ("\n".join(record) + "\n").encode("utf-8")

    wheel_name = f"{NAME}-{version}-{TAG}.whl"
    with zipfile.ZipFile(Path(wheel_directory) / wheel_name, "w", zipfile.ZIP_DEFLATED) as wheel:
        for path, data in files.items():
            wheel.writestr(path, data)
    return wheel_name
