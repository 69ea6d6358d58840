"""Card families as objects: ``reader.card("sle4442").read(0, 32)``.

FAMILIES has one row per family: the exports that read and write it, its capacity, its check, its
security code and its card type number from chk_card. Every argument is checked against the
family's bounds before the library is called, and every buffer is sized from the checked values.
"""
import ctypes
from dataclasses import dataclass
from typing import Optional

from . import _arguments as arguments
from ._buffers import byte_buffer, from_bytes
from .errors import QuilletError, READER_CODE_WRONG

QL_WRONG_CARD = -133
INT16_MAX = 0x7FFF
INT32_MAX = 0x7FFF_FFFF


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
    card_type: Optional[int] = None   # chk_card's number for the family; None: chk_card has no try of it
    runs_on: bool = False       # a transfer may continue into the following zones

    def capacity_of(self, zone):
        if self.zones and zone == self.zones - 1 and self.last_zone is not None:
            return self.last_zone
        return self.capacity

    def extent(self, zone):
        """Units from the start of zone to the farthest end of a transfer starting there; None when
        the zones differ in size (the library checks the end)."""
        if self.capacity is None:
            return None
        if self.paged or self.runs_on:
            return sum(self.capacity_of(z) for z in range(zone, self.zones))
        return self.capacity_of(zone)

    @property
    def length_type_max(self):
        return INT32_MAX if self.paged else INT16_MAX


def _suffix(export):
    return export.split("_", 1)[1]


def _sle(name, suffix, capacity, card_type, code_length=None, check=True):
    code = Code(code_length, f"csc_{suffix}", f"wsc_{suffix}", f"rsct_{suffix}") if code_length else None
    return Family(name, f"srd_{suffix}", f"swr_{suffix}", capacity, f"chk_{suffix}" if check else None, code=code,
                  card_type=card_type)


def _eeprom(name, capacity, card_type, unit=1):
    return Family(name, f"srd_{name}", f"swr_{name}", capacity, f"chk_{name}", unit=unit, card_type=card_type)


FAMILIES = (
    _sle("sle4442", "4442", 256, 21, 3),
    _sle("2042", "2042", 256, 22, 3),
    _sle("sle4432", "4432", 256, None),
    _sle("sle4428", "4428", 1024, 31, 2),
    _sle("sle4418", "4418", 1024, None),
    *(_eeprom(f"24c{size}", capacity, card_type) for size, capacity, card_type in
      (("01a", 128, 1), ("02", 256, 2), ("04", 512, 3), ("08", 1024, 4), ("16", 2048, 5), ("32", 4096, 6),
       ("64", 8192, 7))),
    _eeprom("93c46a", 64, 60, unit=2),
    _eeprom("93c46", 128, 61),
    _eeprom("93c57", 256, 62),
    _eeprom("93c66", 512, None),
    Family("at88sc1608", "srd_1608", "swr_1608", 256, "chk_1608", zones=9, last_zone=128, card_type=54, runs_on=True),
    Family("at88sc153", "srd_153", "swr_153", 64, "chk_153", zones=3, card_type=55),
    _sle("sle4404", "4404", 52, 40, 2),
    _sle("sle4406", "4406", 13, 41, 3),
    # the SLE4436 is driven as an SLE4406 and has a check of its own
    Family("sle4436", "srd_4406", "swr_4406", 13, "chk_4436", code=Code(3, "csc_4406", "wsc_4406", "rsct_4406")),
    _sle("at88sc101", "101", 172, None, 2),
    Family("at88sc102", "srd_102", "swr_102", None, "chk_102", zones=3,
           code=Code(2, "csc_102", "wsc_102", "rsct_102"), card_type=51),
    Family("at88sc1604", "srd_1604", "swr_1604", None, "chk_1604", zones=5, card_type=52),
    Family("at88sc1604b", "srd_1604b", "swr_1604b", None, "chk_1604b", zones=5, card_type=53),
    Family("at88sc1604c", "srd_1604c", "swr_1604c", None, "chk_1604c", zones=5),
    Family("at45d041", "srd_45d041", "swr_45d041", 264, "chk_45d041", zones=2048, paged=True, card_type=10),
    Family("ssf1101", "srd_ssf1101", "swr_ssf1101", 1024, "chk_ssf1101", zones=512, paged=True, card_type=12),
)


def family_names(family):
    """The names a family answers to: its own and its check's suffix ("sle4442", "4442")."""
    return {family.name, *((_suffix(family.check),) if family.check else ())}


def find_family(name):
    """The row of the family called name (any letter case, or the check's suffix such as "4442")."""
    wanted = str(name).lower()
    for family in FAMILIES:
        if wanted in family_names(family):
            return family
    raise ValueError(f"no card family '{name}'; known: {' '.join(f.name for f in FAMILIES)}")


def family_of_card_type(number):
    """The family whose chk_card number is number, or None."""
    return next((f for f in FAMILIES if f.card_type is not None and f.card_type == number), None)


class Card:
    """The card in a reader's slot, driven as one family. Offsets and lengths count the family's
    units (16-bit words on a 93C46A); data are bytes, bytearrays or hexadecimal text.

    Transfers on the flash cards (at45d041, ssf1101) take ``progress=callback``: the transfer then
    goes page by page and ``callback(done, total)`` is called after each page with the units done.
    """

    def __init__(self, reader, family):
        self.reader = reader
        self.family = family

    def __repr__(self):
        return f"<quillet.Card {self.family.name}>"

    def _zone(self, zone):
        if not self.family.zones:
            if zone is not None:
                raise ValueError(f"{self.family.name} cards have no zones")
            return None
        return arguments.integer("zone", 0 if zone is None else zone, 0, self.family.zones - 1)

    def _span(self, zone, offset, length):
        """(zone, offset, length) checked against the family's bounds."""
        family = self.family
        zone = self._zone(zone)
        capacity = family.capacity_of(zone)
        offset = arguments.integer("offset", offset, 0, (capacity if capacity is not None else INT16_MAX + 1) - 1)
        extent = family.extent(zone or 0)
        limit = family.length_type_max if extent is None else min(extent - offset, family.length_type_max)
        if length is None:
            if extent is None:
                raise ValueError(f"give the length: {family.name} zones differ in size")
            length = capacity - offset
        length = arguments.integer("length", length, 1, limit)
        return zone, offset, length

    def _position(self, zone, offset):
        return (offset,) if zone is None else (zone, offset)

    def _pieces(self, zone, offset, length, progress):
        """(zone, offset, length, units before) of each call: one for the whole transfer, or one
        per flash page when progress is followed."""
        if progress is None or not self.family.paged:
            yield zone, offset, length, 0
            return
        page_size = self.family.capacity
        done = 0
        while done < length:
            page, at = divmod(zone * page_size + offset + done, page_size)
            piece = min(page_size - at, length - done)
            yield page, at, piece, done
            done += piece

    def read(self, offset=0, length=None, *, zone=None, progress=None):
        """length units from offset (to the end of the card, zone or page when None), as bytes."""
        zone, offset, length = self._span(zone, offset, length)
        unit = self.family.unit
        data = bytearray()
        for piece_zone, piece_offset, piece, done in self._pieces(zone, offset, length, progress):
            buffer = byte_buffer(piece * unit)
            self.reader.call(self.family.read, *self._position(piece_zone, piece_offset), piece, buffer)
            data += bytes(buffer)
            if progress is not None:
                progress(done + piece, length)
        return bytes(data)

    def write(self, offset, data, *, zone=None, progress=None):
        data = arguments.byte_string("data", data)
        unit = self.family.unit
        if len(data) % unit:
            raise ValueError(f"{self.family.name} data are {unit}-byte units")
        if not data:
            raise ValueError("data is empty")
        zone, offset, length = self._span(zone, offset, len(data) // unit)
        for piece_zone, piece_offset, piece, done in self._pieces(zone, offset, length, progress):
            self.reader.call(self.family.write, *self._position(piece_zone, piece_offset), piece,
                             from_bytes(data[done * unit:(done + piece) * unit]))
            if progress is not None:
                progress(done + piece, length)

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
        """Presents the security code (bytes or hexadecimal text such as "FFFFFF"); a wrong one
        costs one of the card's attempts, and the error tells how many are left."""
        kind = self._code()
        code = arguments.code_bytes("code", code, kind.length)
        try:
            self.reader.call(kind.present, kind.length, from_bytes(code))
        except QuilletError as e:
            if e.status != READER_CODE_WRONG:
                raise
            try:
                left = self.attempts_left()
            except QuilletError:
                left = None
            raise e.with_attempts_left(left) from None

    def change_code(self, code):
        """Writes a new security code (after the current one was presented)."""
        kind = self._code()
        code = arguments.code_bytes("code", code, kind.length)
        self.reader.call(kind.change, kind.length, from_bytes(code))

    def attempts_left(self):
        """The error counter: the attempts left to present the code."""
        count = ctypes.c_int16()
        self.reader.call(self._code().counter, ctypes.byref(count))
        return count.value
