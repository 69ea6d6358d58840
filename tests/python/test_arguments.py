"""What the package refuses before the library is called: integers that would wrap in their C
type, spans past the family's bounds, codes of the wrong length."""
import re

import pytest

import quillet
from quillet._buffers import byte_buffer


def frames(vreader):
    return int(re.search(r"frames=(\d+)", vreader.command("status")).group(1))


@pytest.mark.parametrize("family, operation, argument", [
    # int16_t would wrap these into 200 (a 0-byte buffer with 200 bytes asked) and 0x40
    ("sle4442", lambda c: c.read(0, -65536 + 200), "length"),
    ("sle4442", lambda c: c.write(0x10040, b"WRAP"), "offset"),
    ("sle4442", lambda c: c.read(250, 10), "length"),
    ("sle4442", lambda c: c.read(-1, 1), "offset"),
    ("93c46a", lambda c: c.read(0, 65), "length"),                     # words: 64 of them
    ("at88sc1608", lambda c: c.read(0, 1, zone=9), "zone"),
    ("at88sc1608", lambda c: c.read(0, 8 * 256 + 129, zone=0), "length"),  # runs on to zone 8's end only
    ("at88sc102", lambda c: c.read(0, 0x10000 + 5, zone=1), "length"),
    ("at45d041", lambda c: c.read(0, 1, zone=2048), "zone"),
    ("at45d041", lambda c: c.read(0, 2 * 264 + 1, zone=2046), "length"),
    ("ssf1101", lambda c: c.read(1024, 1, zone=0), "offset"),
    ("sle4442", lambda c: c.present_code(b"\xff\xff"), "code"),        # would read past, costing an attempt
    ("sle4428", lambda c: c.present_code("ffffff"), "code"),
    ("sle4442", lambda c: c.present_code("FFFFFG"), "code"),
    ("sle4442", lambda c: c.change_code(b"\x01\x02\x03\x04"), "code"),
], ids=lambda value: value if isinstance(value, str) else "")
def test_out_of_bounds_arguments_raise_before_any_frame(vreader, family, operation, argument):
    vreader.insert(family)
    with quillet.Reader.open(0, 115200) as reader:
        card = reader.card(family)
        before = frames(vreader)
        with pytest.raises(ValueError, match=rf"^{argument}\b"):
            operation(card)
        assert frames(vreader) == before
    if family == "sle4442":
        assert vreader.contents()[0x40:0x44] != b"WRAP"


def test_raw_calls_check_every_integer_against_its_c_type(vreader):
    with quillet.Reader.open(0, 115200) as reader:
        with pytest.raises(ValueError, match=r"srd_eeprom: length \(int16_t\) 65546 is out of range"):
            reader.call("srd_eeprom", 0, 65536 + 10, byte_buffer(10))
        with pytest.raises(ValueError, match=r"sam_select: sam_number \(uint8_t\) 256"):
            reader.call("sam_select", 256)
        with pytest.raises(TypeError, match="takes 4 arguments"):
            reader.call("srd_eeprom", 0, 10)
        with pytest.raises(ValueError, match="length"):
            reader.read_user_area(0, -65536 + 10)
        with pytest.raises(ValueError, match="the data's length 2 is out of range 1..1"):
            reader.write_user_area(383, b"ab")
    with pytest.raises(ValueError, match=r"port \(int16_t\)"):
        quillet.Reader.open(65536, 115200)


def test_codes_as_hex_text_and_a_wrong_code_tells_the_attempts_left(sle4442):
    with quillet.Reader.open(0, 115200) as reader:
        card = reader.card("SLE4442")
        with pytest.raises(quillet.QuilletError, match="wrong code: 2 attempts left") as wrong:
            card.present_code("12 34 56")
        assert wrong.value.attempts_left == 2 and wrong.value.status == -0x97
        card.present_code("FFFFFF")
        assert card.attempts_left() == 3
        card.write(0x40, "cafe")
        assert card.read(0x40, 2) == b"\xca\xfe"
        for left in (2, 1):
            with pytest.raises(quillet.QuilletError, match=f"wrong code: {left} attempts? left"):
                card.present_code(b"\x00\x00\x00")
        with pytest.raises(quillet.QuilletError, match="no attempts left, the card is now locked"):
            card.present_code(b"\x00\x00\x00")
        with pytest.raises(quillet.QuilletError, match="the card is locked"):
            card.present_code(b"\xff\xff\xff")
