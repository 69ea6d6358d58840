"""Every family of the catalogue through pcscd and the class FF pseudo-APDUs: the virtual reader
holds the card, pyscard reads it, writes it where it is writable and presents its codes, and the
bytes are compared with the virtual card's image."""
import ctypes
import os

import pytest

import catalogue
from helpers import MEMORY_ATR, change_card, connect, send

FAMILIES = catalogue.families()
SECURITY, ERASE, PER_ZONE, PASSWORD_SETS = 1, 2, 4, 8
# Where a write lands (zone or page, offset in units): in an area the fresh card lets the
# application write once its code is presented; elsewhere zone 0 at 0x40 (or the card's middle).
WRITE_AT = {"sle4404": (0, 16), "sle4406": (0, 2), "sle4436": (0, 2), "at88sc101": (0, 32), "at88sc102": (1, 4),
            "at88sc1604": (1, 4), "at88sc1604b": (1, 4), "at88sc1604c": (1, 4), "at88sc1608": (1, 0),
            "at88sc153": (1, 0), "at45d041": (1, 0), "ssf1101": (1, 0)}

HIDDEN = {"sle4406": range(10, 13), "sle4436": range(10, 13)}


def zone_start(family, zone):
    """Where a zone (or page) starts in the virtual card's image."""
    if family.shape == "paged":
        return zone * family.units // family.zones
    return sum(size for size, *_ in family.zone_rows[:zone]) * family.unit


def zone_ends(family, zone):
    """The read and write ends of a zone, in units."""
    if family.shape == "flat":
        return family.units, family.write_units
    if family.shape == "paged":
        page = family.units // family.zones
        return page, page
    _, read_end, write_end, _ = family.zone_rows[zone]
    return read_end, write_end


def le(n):
    """Le for n bytes: short up to 256, extended beyond."""
    return bytes([n & 0xFF]) if n <= 256 else bytes([0, n >> 8, n & 0xFF])


def lc(data):
    return (bytes([len(data)]) if len(data) <= 255 else bytes([0, len(data) >> 8, len(data) & 0xFF])) + data


def select_zone(card, zone):
    assert send(card, bytes([0xFF, 0xA6, zone >> 8, zone & 0xFF])) == (b"", 0x9000)


def present(card, p2, code):
    return send(card, bytes([0xFF, 0x20, 0x00, p2]) + lc(code))


@pytest.mark.parametrize("family", FAMILIES, ids=[f.key for f in FAMILIES])
def test_family_read_write_and_codes(vreader, pcscd, family):
    change_card(vreader, family.key)
    card = connect(pcscd, MEMORY_ATR)
    atr = bytes(card.getATR())
    if family.type:
        assert atr[14] == family.type, f"chk_card's number in the ATR: {atr.hex()}"
    else:  # chk_card does not try the family: the application names it
        assert send(card, bytes.fromhex("FFA40001") + lc(family.key.encode())) == (b"", 0x9000)
    image = vreader.contents()

    # Read: the first bytes of zone (page) 0, or a whole page in one extended-length read.
    read_end, _ = zone_ends(family, 0)
    count = min(read_end * family.unit, 1024 if family.shape == "paged" else 64)
    data, sw = send(card, bytes.fromhex("FFB00000") + le(count))
    hidden = HIDDEN.get(family.key, range(0))  # read as 00 until the code is presented
    assert sw == 0x9000 and data == bytes(0 if i in hidden else b for i, b in enumerate(image[:count]))
    if family.shape != "flat":
        assert send(card, bytes([0xFF, 0xA6, family.zones >> 8, family.zones & 0xFF]))[1] == 0x6A86
    else:
        assert send(card, bytes.fromhex("FFA60001"))[1] == 0x6A81
    assert send(card, bytes([0xFF, 0xB0, read_end >> 8, read_end & 0xFF, family.unit]))[1] == 0x6B00

    # Codes: a wrong one costs an attempt where the card counts them, the fresh card's (all FF) opens it.
    if family.kinds & (SECURITY | PASSWORD_SETS):
        wrong = present(card, 0, bytes(family.code))
        assert wrong[1] & 0xFFF0 == 0x63C0 or wrong[1] == 0x6300, hex(wrong[1])
        assert present(card, 0, b"\xFF" * family.code) == (b"", 0x9000)
        assert send(card, bytes.fromhex("FF200000")) == (b"", 0x9000)
    else:
        assert present(card, 0, b"\xFF\xFF")[1] == 0x6A81
    if family.kinds & ERASE:
        p2, length = (0x81, family.zone_rows[1][3]) if family.zone_rows else (0x80, 4)
        assert present(card, p2, b"\xFF" * length) == (b"", 0x9000)

    # Write where the card is writable, read back through PC/SC and in the card's image.
    zone, offset = WRITE_AT.get(family.key, (0, min(0x40, family.write_units // 2)))
    if zone:
        select_zone(card, zone)
    pattern = bytes([0x5A, 0xC3, 0x0F, 0x96])
    assert send(card, bytes([0xFF, 0xD6, offset >> 8, offset & 0xFF]) + lc(pattern)) == (b"", 0x9000)
    data, sw = send(card, bytes([0xFF, 0xB0, offset >> 8, offset & 0xFF]) + le(len(pattern)))
    assert (data, sw) == (pattern, 0x9000)
    where = zone_start(family, zone) + offset * family.unit
    after = vreader.contents()
    assert after[where:where + 4] == pattern and after[:where] == image[:where]

    # Erase: the cards that erase all at once are left all FF; the others have no erase.
    if family.erases_all:
        assert send(card, bytes.fromhex("FF0E0000")) == (b"", 0x9000)
        assert set(vreader.contents()) == {0xFF}
    else:
        assert send(card, bytes.fromhex("FF0E0000")) == (b"", 0x6A81)
    card.disconnect()


CONFIGURATION_AT = {"at88sc1608": 2048, "at88sc153": 192}  # the configuration zone in the card's image


def host_cipher(block1, seed, challenge):
    """The application's half of the mutual authentication, with the library's cipher."""
    library = ctypes.CDLL(os.environ["QUILLET_LIBRARY"])
    out1, out2 = (ctypes.c_uint8 * 8)(), (ctypes.c_uint8 * 8)()
    library.SetInit(*(ctypes.c_char_p(bytes(b)) for b in (block1, seed, challenge)))
    library.Authenticate(out1, out2)
    return bytes(out1), bytes(out2)


@pytest.mark.parametrize("key", sorted(CONFIGURATION_AT))
def test_crypto_card_authentication(vreader, pcscd, key):
    """The application reads the cryptogram from the configuration zone, computes with the seed it
    issued the card with, and authenticates; a wrong answer costs an attempt."""
    change_card(vreader, key)
    card = connect(pcscd, MEMORY_ATR)
    select_zone(card, 0x100)
    start = CONFIGURATION_AT[key]

    def cryptogram():
        data, sw = send(card, bytes.fromhex("FFB0002008"))
        assert sw == 0x9000 and data == vreader.contents()[start + 32:start + 40]
        return data

    seed, sw = send(card, bytes.fromhex("FFB0002808"))
    assert sw == 0x9000
    challenge = os.urandom(8)
    out1, _ = host_cipher(cryptogram(), seed, challenge)
    wrong = bytes([out1[0] ^ 0x01]) + out1[1:]
    assert send(card, bytes.fromhex("FF82000010") + challenge + wrong) == (b"", 0x6300)
    block1 = cryptogram()
    assert block1[0] == 0xEE  # one attempt of four gone
    out1, out2 = host_cipher(block1, seed, challenge)
    assert send(card, bytes.fromhex("FF82000010") + challenge + out1) == (b"", 0x9000)
    assert cryptogram() == b"\xFF" + out2[1:]
    assert send(card, bytes.fromhex("FF820000080102030405060708"))[1] == 0x6700
    card.disconnect()
