"""Loading libquillet and typing every export from the header's declarations."""
import ctypes
import os
import sys
from pathlib import Path

from ._declarations import FUNCTIONS

ABI_VERSION = 9  # the major version: libquillet.so.9

_SCALARS = {
    "int8_t": ctypes.c_int8, "uint8_t": ctypes.c_uint8, "int16_t": ctypes.c_int16, "uint16_t": ctypes.c_uint16,
    "int32_t": ctypes.c_int32, "uint32_t": ctypes.c_uint32, "int64_t": ctypes.c_int64, "uint64_t": ctypes.c_uint64,
    "char": ctypes.c_char, "short": ctypes.c_short, "int": ctypes.c_int, "long": ctypes.c_long,
    "float": ctypes.c_float, "double": ctypes.c_double, "size_t": ctypes.c_size_t,
}


def ctype(c_type):
    """The ctypes type of a C type of the header: None for void, c_char_p for char text."""
    base = c_type.replace("const ", "").replace("volatile ", "").strip()
    if base == "void":
        return None
    if base == "char*":
        return ctypes.c_char_p
    if base.endswith("*"):
        pointee = ctype(base[:-1])
        return ctypes.c_void_p if pointee is None else ctypes.POINTER(pointee)
    try:
        return _SCALARS[base]
    except KeyError:
        raise TypeError(f"no ctypes type for the C type '{c_type}'") from None


class Library:
    """The exports of one loaded libquillet, each typed as quillet.h declares it.

    ``lib.srd_4442(handle, 0, 32, buffer)`` calls the export; ``lib.has("chk_card")`` tells whether
    this library has it. ``missing`` names what the header declares and the library lacks.
    """

    def __init__(self, dll, declarations=FUNCTIONS):
        self.dll = dll
        self.declarations = declarations
        self.functions = {}
        self.missing = []
        for name, (result, params) in declarations.items():
            try:
                function = getattr(dll, name)
            except AttributeError:
                self.missing.append(name)
                continue
            function.restype = ctype(result)
            function.argtypes = [ctype(t) for t, _ in params]
            self.functions[name] = function

    def has(self, name):
        return name in self.functions

    def __getattr__(self, name):
        try:
            return self.__dict__["functions"][name]
        except KeyError:
            raise AttributeError(f"libquillet has no export '{name}'") from None

    def __dir__(self):
        return list(super().__dir__()) + list(self.functions)


def _candidates():
    if os.environ.get("QUILLET_LIBRARY"):
        return [os.environ["QUILLET_LIBRARY"]]
    if sys.platform == "win32":
        return ["quillet.dll"]
    # From a build tree the package sits in build/python/ and the library in build/.
    built = Path(__file__).resolve().parents[2] / f"libquillet.so.{ABI_VERSION}"
    return ([str(built)] if built.exists() else []) + [f"libquillet.so.{ABI_VERSION}"]


_loaded = None


def library():
    """The Library, loaded on first use: the file named by QUILLET_LIBRARY, the build tree's, or
    the installed libquillet.so.9 (quillet.dll on Windows, stdcall on 32-bit)."""
    global _loaded
    if _loaded is None:
        loader = getattr(ctypes, "WinDLL", ctypes.CDLL)
        errors = []
        for candidate in _candidates():
            try:
                _loaded = Library(loader(candidate))
                break
            except OSError as e:
                errors.append(str(e))
        else:
            raise OSError("cannot load libquillet: " + "; ".join(errors))
    return _loaded


def library_version():
    """The library's version text, e.g. ``KOV###DRVSFT-V9.40A``."""
    text = (ctypes.c_uint8 * 20)()
    library().lib_ver(text)
    return bytes(text).split(b"\0", 1)[0].decode("latin-1")
