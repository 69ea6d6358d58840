"""Card families as objects: ``reader.card("sle4442").read(0, 32)``.

FAMILIES has one row per family: the exports that read and write it, its capacity, its check and
its security code. A family is offered only when the loaded library exports its read and write
functions with the shape the row expects (checked against quillet.h), so a row may name a family
before the library has it.
"""
import ctypes
from dataclasses import dataclass
from typing import Optional

from ._buffers import byte_buffer, from_bytes
from .errors import QuilletError

QL_WRONG_CARD = -133

# Parameter types after the handle: offset, length, buffer; or zone (page), offset, length, buffer.
# The flash cards' lengths are 32-bit: a transfer may run over many pages.
_FLAT = ("int16_t", "int16_t")
_ZONED = ("int16_t", "int16_t", "int16_t")
_PAGED = ("int16_t", "int16_t", "int32_t")


@dataclass(frozen=True)
class Code:
    """A security code presented with ``present(handle, length, code)``, changed with ``change``;
    ``counter(handle, int16_t*)`` reads the attempts left."""
    length: int
    present: str
    change: str
    counter: str


@dataclass(frozen=True)
class Family:
    name: str
    read: str
    write: str
    capacity: Optional[int]     # units of the card, or of each zone but the last; None: not fixed
    check: Optional[str] = None
    unit: int = 1               # bytes of one addressed unit (2 for 16-bit words)
    zones: int = 0              # 0: addressed by offset only; else by zone (or page) and offset
    last_zone: Optional[int] = None
    code: Optional[Code] = None
    paged: bool = False         # zones are flash pages, with a 32-bit length

    @property
    def shape(self):
        if self.paged:
            return _PAGED
        return _ZONED if self.zones else _FLAT

    def capacity_of(self, zone):
        if self.zones and zone == self.zones - 1 and self.last_zone is not None:
            return self.last_zone
        return self.capacity


def _sle(name, suffix, capacity, code_length=None, check=True):
    code = Code(code_length, f"csc_{suffix}", f"wsc_{suffix}", f"rsct_{suffix}") if code_length else None
    return Family(name, f"srd_{suffix}", f"swr_{suffix}", capacity, f"chk_{suffix}" if check else None, code=code)


def _eeprom(name, capacity, unit=1):
    return Family(name, f"srd_{name}", f"swr_{name}", capacity, f"chk_{name}", unit=unit)


FAMILIES = (
    _sle("sle4442", "4442", 256, 3),
    _sle("2042", "2042", 256, 3),
    _sle("sle4432", "4432", 256),
    _sle("sle4428", "4428", 1024, 2),
    _sle("sle4418", "4418", 1024),
    *(_eeprom(f"24c{size}", capacity) for size, capacity in
      (("01a", 128), ("02", 256), ("04", 512), ("08", 1024), ("16", 2048), ("32", 4096), ("64", 8192))),
    _eeprom("93c46a", 64, unit=2),
    _eeprom("93c46", 128),
    _eeprom("93c57", 256),
    _eeprom("93c66", 512),
    Family("at88sc1608", "srd_1608", "swr_1608", 256, "chk_1608", zones=9, last_zone=128),
    Family("at88sc153", "srd_153", "swr_153", 64, "chk_153", zones=3),
    _sle("sle4404", "4404", 52, 2),
    _sle("sle4406", "4406", 13, 3),
    # the SLE4436 is driven as an SLE4406 and has a check of its own
    Family("sle4436", "srd_4406", "swr_4406", 13, "chk_4436", code=Code(3, "csc_4406", "wsc_4406", "rsct_4406")),
    _sle("at88sc101", "101", 172, 2),
    Family("at88sc102", "srd_102", "swr_102", None, "chk_102", zones=3,
           code=Code(2, "csc_102", "wsc_102", "rsct_102")),
    Family("at88sc1604", "srd_1604", "swr_1604", None, "chk_1604", zones=5),
    Family("at88sc1604b", "srd_1604b", "swr_1604b", None, "chk_1604b", zones=5),
    Family("at88sc1604c", "srd_1604c", "swr_1604c", None, "chk_1604c", zones=5),
    Family("at45d041", "srd_45d041", "swr_45d041", 264, "chk_45d041", zones=2048, paged=True),
    Family("ssf1101", "srd_ssf1101", "swr_ssf1101", 1024, "chk_ssf1101", zones=512, paged=True),
)


def _shape_fits(lib, name, coordinates, buffer_types):
    """True when lib exports name as (int32_t handle, coordinates..., buffer)."""
    if not lib.has(name):
        return False
    params = tuple(t for t, _ in lib.declarations[name][1])
    return params[:1] == ("int32_t",) and params[1:-1] == coordinates and params[-1] in buffer_types


def _offered(family, lib):
    return (_shape_fits(lib, family.read, family.shape, ("uint8_t*",))
            and _shape_fits(lib, family.write, family.shape, ("const uint8_t*", "uint8_t*")))


def offered_families(lib):
    return [f for f in FAMILIES if _offered(f, lib)]


def offered_family(name, lib):
    for family in FAMILIES:
        if family.name == name.lower():
            if _offered(family, lib):
                return family
            raise ValueError(f"this library does not drive {family.name} cards")
    raise ValueError(f"no card family '{name}'; known: {' '.join(f.name for f in offered_families(lib))}")


class Card:
    """The card in a reader's slot, driven as one family. Offsets and lengths count the family's
    units (16-bit words on a 93C46A); data are bytes."""

    def __init__(self, reader, family):
        self.reader = reader
        self.family = family

    def __repr__(self):
        return f"<quillet.Card {self.family.name}>"

    def _position(self, zone, offset):
        if self.family.zones:
            return (0 if zone is None else zone, offset)
        if zone is not None:
            raise ValueError(f"{self.family.name} cards have no zones")
        return (offset,)

    def read(self, offset=0, length=None, *, zone=None):
        """length units from offset (to the end of the card or zone when None), as bytes."""
        if length is None:
            capacity = self.family.capacity_of(0 if zone is None else zone)
            if capacity is None:
                raise ValueError(f"give the length: {self.family.name} zones differ in size")
            length = capacity - offset
        buffer = byte_buffer(length * self.family.unit)
        self.reader.call(self.family.read, *self._position(zone, offset), length, buffer)
        return bytes(buffer)

    def write(self, offset, data, *, zone=None):
        if len(data) % self.family.unit:
            raise ValueError(f"{self.family.name} data are {self.family.unit}-byte units")
        self.reader.call(self.family.write, *self._position(zone, offset), len(data) // self.family.unit,
                         from_bytes(data))

    def check(self):
        """True when the family's check accepts the card, False when it finds another card."""
        if not self.family.check:
            raise ValueError(f"{self.family.name} cards cannot be identified")
        try:
            self.reader.call(self.family.check)
        except QuilletError as e:
            if e.status == QL_WRONG_CARD:
                return False
            raise
        return True

    def _code(self):
        if not self.family.code:
            raise ValueError(f"{self.family.name} cards have no security code")
        return self.family.code

    def present_code(self, code):
        """Presents the security code; a wrong one costs one of the card's attempts."""
        self.reader.call(self._code().present, self._code().length, from_bytes(code))

    def change_code(self, code):
        """Writes a new security code (after the current one was presented)."""
        self.reader.call(self._code().change, self._code().length, from_bytes(code))

    def attempts_left(self):
        """The error counter: the attempts left to present the code."""
        count = ctypes.c_int16()
        self.reader.call(self._code().counter, ctypes.byref(count))
        return count.value
