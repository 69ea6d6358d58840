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


try:
    from ._families import CONSTANTS, LISTS
except ImportError:  # straight from a source checkout: the header itself
    import os
    from pathlib import Path

    from . import _families_header

    _path = Path(os.environ.get("QUILLET_HEADER") or Path(__file__).resolve().parents[2] / "include" / "quillet.h")
    CONSTANTS, LISTS = _families_header.catalogue((_path.parent / "quillet_families.h").read_text(encoding="utf-8"))


@dataclass(frozen=True)
class Code:
    """A security code (or password, or erase code) with its exports. shape says how they are
    called: "one" ``present(handle, length, code)``, ``counter(handle, int16_t*)``; "zone" with the
    zone after the handle; "set_length_selector" / "set_selector_length" the password sets, whose
    counter is one byte. length 0: the zone's erase code length (Zone.erase_code)."""
    length: int
    present: str
    change: str
    counter: str
    shape: str = "one"
    sets: int = 0


@dataclass(frozen=True)
class Zone:
    size: int          # units of the zone
    read_end: int      # largest offset + length of a read starting in the zone
    write_end: int     # the same for a write
    erase_code: int    # bytes of the zone's erase code, 0 for none


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
    alias: Optional[str] = None       # the other name the family answers to ("4442")
    zone_table: tuple = ()      # Zone rows of a zoned family
    erase: Optional[Code] = None      # the erase code(s)
    rank: Optional[int] = None  # place in chk_card's detection order, 1 first
    units: int = 0              # the card's size in units
    counter_max: int = 0        # the error counter's highest value (a fresh card's attempts)

    def capacity_of(self, zone):
        if self.zone_table:
            return self.zone_table[zone].size
        if self.zones and zone == self.zones - 1 and self.last_zone is not None:
            return self.last_zone
        return self.capacity

    def extent(self, zone, writing=False):
        """Units from the start of zone to the farthest end of a transfer starting there."""
        if self.zone_table:
            row = self.zone_table[zone]
            return row.write_end if writing else row.read_end
        if self.paged:
            return self.capacity * (self.zones - zone)
        return self.capacity

    @property
    def length_type_max(self):
        return INT32_MAX if self.paged else INT16_MAX


def _families():
    """The rows of the family catalogue (quillet_families.h)."""
    by_key = {}
    zones = {}
    for key, zone, size, read_end, write_end, erase_code in LISTS["QL_FAMILY_ZONES"]:
        zones.setdefault(key, []).append(Zone(size, read_end, write_end, erase_code))

    def exports(list_name):
        return {row[0]: row[1:] for row in LISTS[list_name]}

    memory = {**exports("QL_FAMILY_FLAT_MEMORY"), **exports("QL_FAMILY_ZONED_MEMORY"), **exports("QL_FAMILY_PAGED_MEMORY")}
    checks = {key: check for key, (check, _identifies) in exports("QL_FAMILY_CHECKS").items()}
    codes = {}
    for list_name, shape in (("QL_FAMILY_CODES", "one"), ("QL_FAMILY_ZONED_CODES", "zone"),
                             ("QL_FAMILY_PASSWORDS_SET_LENGTH_SELECTOR", "set_length_selector"),
                             ("QL_FAMILY_PASSWORDS_SET_SELECTOR_LENGTH", "set_selector_length")):
        for key, (present, change, counter, *sets) in exports(list_name).items():
            codes[key] = (present, change, counter, shape, sets[0] if sets else 0)
    erases = {key: Code(row[3], *row[:3]) for key, row in exports("QL_FAMILY_ERASE_CODES").items()}
    erases.update({key: Code(0, *row, shape="zone") for key, row in exports("QL_FAMILY_ZONED_ERASE_CODES").items()})

    for key, alias, card_type, rank, shape, unit, units, _write_units, zone_count, code_length, _kinds, highest \
            in LISTS["QL_FAMILIES"]:
        read, write = memory[key]
        table = tuple(zones.get(key, ()))
        paged = shape == CONSTANTS["QL_SHAPE_PAGED"]
        sizes = [z.size for z in table]
        if paged:
            capacity, last = units // zone_count, None
        elif table:
            same = len(set(sizes[:-1])) == 1
            capacity, last = (sizes[0], sizes[-1]) if same else (None, None)
        else:
            capacity, last = units, None
        code = None
        if key in codes:
            present, change, counter, code_shape, sets = codes[key]
            code = Code(code_length, present, change, counter, code_shape, sets)
        by_key[key] = Family(key, read, write, capacity, checks.get(key), unit=unit, zones=zone_count, last_zone=last,
                             code=code, paged=paged, card_type=card_type or None,
                             runs_on=any(z.read_end > z.size for z in table), alias=alias or None, zone_table=table,
                             erase=erases.get(key), rank=rank or None, units=units,
                             counter_max=highest)
    return tuple(by_key.values())


FAMILIES = _families()


def family_names(family):
    """The names a family answers to: its own and its alias ("sle4442", "4442")."""
    return {family.name, *((family.alias,) if family.alias else ())}


def find_family(name):
    """The row of the family called name (any letter case, or the alias such as "4442")."""
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

    def _span(self, zone, offset, length, writing=False):
        """(zone, offset, length) checked against the family's bounds."""
        family = self.family
        zone = self._zone(zone)
        capacity = family.capacity_of(zone)
        offset = arguments.integer("offset", offset, 0, (capacity if capacity is not None else INT16_MAX + 1) - 1)
        extent = family.extent(zone or 0, writing)
        limit = family.length_type_max if extent is None else min(extent - offset, family.length_type_max)
        if length is None:
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
        zone, offset, length = self._span(zone, offset, len(data) // unit, writing=True)
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

    def _code(self, erase=False):
        kind = self.family.erase if erase else self.family.code
        if not kind:
            raise ValueError(f"{self.family.name} cards have no {'erase' if erase else 'security'} code")
        return kind

    def _code_call(self, kind, export, length, data, zone, set, selector):
        """Calls a code export in its shape; zone, set and selector only where the shape has them."""
        if kind.shape == "zone":
            zone = arguments.integer("zone", 0 if zone is None else zone, 0, self.family.zones - 1)
            return self.reader.call(export, zone, length, data)
        if zone is not None:
            raise ValueError(f"{self.family.name} codes have no zones")
        if kind.shape == "one":
            return self.reader.call(export, length, data)
        set = arguments.integer("set", set, 0, kind.sets - 1)
        selector = arguments.integer("selector", selector, 0, INT16_MAX)
        if kind.shape == "set_length_selector":
            return self.reader.call(export, set, length, selector, data)
        return self.reader.call(export, set, selector, length, data)

    def _code_length(self, kind, zone):
        if kind.length:
            return kind.length
        row = self.family.zone_table[arguments.integer("zone", 0 if zone is None else zone, 0, self.family.zones - 1)]
        if not row.erase_code:
            raise ValueError(f"{self.family.name} zone {zone} has no erase code")
        return row.erase_code

    def present_code(self, code, *, zone=None, set=0, selector=0, erase=False):
        """Presents the security code (bytes or hexadecimal text such as "FFFFFF"), a zone's code
        on cards with one per zone, a password of a set, or with erase=True the erase code; a wrong
        one costs one of the card's attempts, and the error tells how many are left."""
        kind = self._code(erase)
        code = arguments.code_bytes("code", code, self._code_length(kind, zone))
        try:
            self._code_call(kind, kind.present, len(code), from_bytes(code), zone, set, selector)
        except QuilletError as e:
            if e.status != READER_CODE_WRONG:
                raise
            try:
                left = self.attempts_left(zone=zone, set=set, selector=selector, erase=erase)
            except QuilletError:
                left = None
            raise e.with_attempts_left(left) from None

    def change_code(self, code, *, zone=None, set=0, selector=0, erase=False):
        """Writes a new code (after the current one was presented)."""
        kind = self._code(erase)
        code = arguments.code_bytes("code", code, self._code_length(kind, zone))
        self._code_call(kind, kind.change, len(code), from_bytes(code), zone, set, selector)

    def attempts_left(self, *, zone=None, set=0, selector=0, erase=False):
        """The error counter: the attempts left to present the code (on cards with password sets
        the card's counter byte)."""
        kind = self._code(erase)
        if kind.shape.startswith("set_"):
            byte = byte_buffer(1)
            set = arguments.integer("set", set, 0, kind.sets - 1)
            selector = arguments.integer("selector", selector, 0, INT16_MAX)
            arguments_in_order = (set, 1, selector) if kind.shape == "set_length_selector" else (set, selector, 1)
            self.reader.call(kind.counter, *arguments_in_order, byte)
            return bytes(byte)[0]
        count = ctypes.c_int16()
        if kind.shape == "zone":
            zone = arguments.integer("zone", 0 if zone is None else zone, 0, self.family.zones - 1)
            self.reader.call(kind.counter, zone, ctypes.byref(count))
        else:
            self.reader.call(kind.counter, ctypes.byref(count))
        return count.value
