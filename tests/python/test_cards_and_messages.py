"""Failures that say what happened, processor cards and SAMs, detection and long transfers."""
import os
import re

import pytest

import quillet
from quillet import cards

HEADER = os.environ["QUILLET_HEADER"]


@pytest.mark.parametrize("setup, operation, message", [
    ("insert sle4442", lambda r: r.card("sle4442").write(40, b"\x01"), "present the security code first"),
    ("insert sle4442", lambda r: r.apdu("0084000008"), "no processor card answers in the slot"),
    ("insert sle4442", lambda r: r.reset(3), "sam_slt_reset: no card in the slot"),
    ("remove", lambda r: r.card("24c02").read(0, 4), "no card in the slot"),
    ("insert cpu", lambda r: r.reset() and r.apdu("00B0000010"), "the card answered 6986: command not allowed: no current EF"),
    ("fault drop", lambda r: r.card("24c02").read(0, 4), r"no reply from the reader on /dev/\S+ in time"),
], ids=["write-before-code", "apdu-to-memory-card", "sam-slot-empty", "no-card", "status-word", "time-out"])
def test_failures_say_what_happened(vreader, setup, operation, message):
    vreader.command(setup)
    with quillet.Reader.open(0, 115200) as reader:
        with pytest.raises(Exception, match=message):
            operation(reader)


def test_opening_failures_name_the_device_and_the_reason(tmp_path):
    with pytest.raises(quillet.QuilletError) as missing:
        quillet.Reader.open(5, 9600, device=tmp_path / "no-such-device")
    assert f"({tmp_path / 'no-such-device'}): No such file or directory" in str(missing.value)
    (tmp_path / "plain-file").write_bytes(b"")
    with pytest.raises(quillet.QuilletError, match=r"plain-file\): Inappropriate ioctl for device"):
        quillet.Reader.open(5, 9600, device=tmp_path / "plain-file")
    if os.geteuid() != 0:   # make test runs the native suite as nobody
        (tmp_path / "plain-file").chmod(0)
        with pytest.raises(quillet.QuilletError, match=r"plain-file\): Permission denied"):
            quillet.Reader.open(5, 9600, device=tmp_path / "plain-file")


def test_every_6xxx_status_word_is_named():
    assert quillet.status_word_meaning(0x6982) == "command not allowed: security status not satisfied"
    assert quillet.status_word_meaning(0x63C2) == "verification failed: tries left in the low digit"
    assert quillet.status_word_meaning(0x6A82) == "wrong parameters: file or application not found"
    assert all(quillet.status_word_meaning(sw) for sw in range(0x6100, 0x7000))
    assert quillet.status_word_meaning(0x6000) == quillet.status_word_meaning(0x9001) == ""


def test_processor_card_and_sam_exchanges(vreader):
    vreader.insert("cpu")
    vreader.command("sam 2 cpu")
    with quillet.Reader.open(0, 115200) as reader:
        for slot in (0, 2):
            assert reader.reset(slot).startswith(b"\x3b")
            # several in a row: each block carries the next sequence number
            challenges = [reader.apdu("0084000008", slot=slot) for _ in range(3)]
            assert all(r.ok and len(r.data) == 8 for r in challenges)
            assert len({r.data for r in challenges}) == 3
        refused = reader.apdu("00B0000010", check=False)
        assert (refused.sw1, refused.sw2, refused.data) == (0x69, 0x86, b"")
        with pytest.raises(ValueError, match="slot"):
            reader.reset(6)
        with pytest.raises(ValueError, match="the APDU's length 3"):
            reader.apdu("00A404")


@pytest.mark.parametrize("card, detected", [("sle4442", "sle4442"), ("24c02", "24c02"), ("cpu", "cpu"),
                                            ("at45d041", "at45d041"), (None, None)])
def test_detect_names_the_family_or_a_processor_card(vreader, card, detected):
    vreader.command(f"insert {card}" if card else "remove")
    with quillet.Reader.open(0, 115200) as reader:
        assert reader.detect() == detected


@pytest.mark.parametrize("family, page_size", [("at45d041", 264), ("ssf1101", 1024)])
def test_flash_transfers_call_back_page_by_page(vreader, family, page_size):
    vreader.insert(family)
    data = bytes(i % 253 for i in range(2 * page_size + 10))
    with quillet.Reader.open(0, 115200) as reader:
        card = reader.card(family)
        written, read = [], []
        card.write(page_size - 4, data, zone=3, progress=lambda done, total: written.append((done, total)))
        assert card.read(page_size - 4, len(data), zone=3, progress=lambda *p: read.append(p)) == data
    steps = [(4, len(data)), (4 + page_size, len(data)), (4 + 2 * page_size, len(data)), (len(data), len(data))]
    assert written == read == steps
    start = 4 * page_size - 4
    assert vreader.contents()[start:start + len(data)] == data


def test_family_rows_match_the_header():
    text = open(HEADER, encoding="utf-8").read()
    declared = quillet.library().declarations
    for family in quillet.FAMILIES:
        coordinates = ("int16_t",) * (3 if family.zones else 2)
        if family.paged:
            coordinates = ("int16_t", "int16_t", "int32_t")
        for export, buffer in ((family.read, "uint8_t*"), (family.write, "const uint8_t*")):
            assert tuple(t for t, _ in declared[export][1]) == ("int32_t", *coordinates, buffer), export
        for export in ((family.check,) if family.check else ()) + (
                (family.code.present, family.code.change, family.code.counter) if family.code else ()):
            assert export in declared, export
    # chk_card's numbers as quillet.h lists them
    listed = dict(re.findall(r"(chk_\w+) (\d+)[,.]", text[text.index("Tells which kind of card"):]))
    assert {f.check: f.card_type for f in quillet.FAMILIES if f.card_type} == {k: int(v) for k, v in listed.items()}
    assert cards.find_family("4442").name == cards.find_family("SLE4442").name == "sle4442"
    assert cards.find_family("AT88SC1604B").name == "at88sc1604b"
    with pytest.raises(ValueError, match="no card family 'sle9999'"):
        cards.find_family("sle9999")
