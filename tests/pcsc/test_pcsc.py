"""The driver in a real pcscd, seen through pyscard: the virtual processor card over T=1 in the main
slot and in a SAM slot, memory cards through the class FF pseudo-APDUs with the virtual card's
contents checked afterwards, and a card that never stops asking for more time."""
import threading
import time

import pytest

from helpers import BEEP, CPU_ATR, MEMORY_ATR, change_card, connect, select_quillet_file, send
# The family sweep shares this module's pcscd: the PC/SC client library keeps the first socket
# name it was given for the whole process, so one pcscd serves every test.
from family_sweep import test_crypto_card_authentication, test_family_read_write_and_codes  # noqa: F401


def test_reader_and_processor_card(vreader, pcscd):
    from smartcard.System import readers
    change_card(vreader, "cpu")
    assert [str(r) for r in readers()] == ["Quillet 00 00", "Quillet 00 01"]
    card = connect(pcscd, bytes.fromhex("3B95"))
    assert bytes(card.getATR()) == CPU_ATR
    # SELECT by DF name with Le: the card answers 61xx, which reaches the application unchanged.
    data, sw = send(card, bytes.fromhex("00A4040004F051565200"))
    assert data == b"" and sw >> 8 == 0x61
    fci, sw = send(card, bytes.fromhex("00C00000") + bytes([sw & 0xFF]))
    assert sw == 0x9000 and fci[0] == 0x6F and len(fci) == fci[1] + 2
    assert send(card, bytes.fromhex("00A4020C020101")) == (b"", 0x9000)
    assert send(card, bytes.fromhex("00B0000007")) == (b"QUILLET", 0x9000)
    # Le too long: 6Cxx goes to the application too.
    assert send(card, bytes.fromhex("00B0000000"))[1] == 0x6C10
    assert send(card, bytes.fromhex("0020000104") + b"0000") == (b"", 0x63C2)
    assert send(card, bytes.fromhex("0020000104") + b"1234") == (b"", 0x9000)
    # A 255-byte APDU is longer than the card's IFSC (254): it goes as a chain of two I-blocks, and
    # the card sees it whole (an update past the end of the 16-byte file, not a wrong length).
    assert send(card, bytes.fromhex("00D60000FA") + bytes(250)) == (b"", 0x6A84)
    # Many blocks in a row keep the sequence numbers right.
    for _ in range(5):
        assert send(card, bytes.fromhex("00B0000004")) == (b"QUIL", 0x9000)
    card.control(BEEP, [12])
    assert 12 in vreader.beeps()
    card.disconnect()


def test_sle4442_through_pseudo_apdus(vreader, pcscd):
    change_card(vreader, "sle4442")
    card = connect(pcscd, bytes.fromhex("3B8F8001"))
    atr = bytes(card.getATR())
    assert len(atr) == 20 and atr[4:12] == bytes.fromhex("804F0CA000000306") and atr[12:15] == bytes([0x0D, 0, 21])
    before = vreader.contents()
    data, sw = send(card, bytes.fromhex("FFB0000010"))
    assert sw == 0x9000 and data == before[:16]
    assert send(card, bytes.fromhex("FFB000F820"))[1] == 0x6282  # 8 bytes left of 32 asked
    assert send(card, bytes.fromhex("FFB0010001"))[1] == 0x6B00
    assert send(card, bytes.fromhex("FFD6004004A1B2C3D4")) == (b"", 0x6982)  # code not presented
    assert send(card, bytes.fromhex("FF200000")) == (b"", 0x63C3)
    assert send(card, bytes.fromhex("FF20000003123456")) == (b"", 0x63C2)
    assert send(card, bytes.fromhex("FF20000003FFFFFF")) == (b"", 0x9000)
    assert send(card, bytes.fromhex("FFD6004004A1B2C3D4")) == (b"", 0x9000)
    assert send(card, bytes.fromhex("FFD600FE04A1B2C3D4")) == (b"", 0x6B00)
    after = vreader.contents()
    assert after[0x40:0x44] == bytes.fromhex("A1B2C3D4") and after[:0x40] == before[:0x40]
    assert send(card, bytes.fromhex("FF24010003112233")) == (b"", 0x9000)
    assert send(card, bytes.fromhex("FF0F0000")) == (b"", 0x6D00)
    assert send(card, bytes.fromhex("00B0000010")) == (b"", 0x6E00)
    card.disconnect()


def test_24c02_through_pseudo_apdus(vreader, pcscd):
    change_card(vreader, "24c02")
    card = connect(pcscd, bytes.fromhex("3B8F8001"))
    assert bytes(card.getATR())[12:15] == bytes([0x0B, 0, 2])
    assert send(card, bytes.fromhex("FFD6008003010203")) == (b"", 0x9000)
    assert vreader.contents()[0x80:0x83] == bytes([1, 2, 3])
    data, sw = send(card, bytes.fromhex("FFB0000000"))
    assert sw == 0x9000 and data == vreader.contents()[:256]
    assert send(card, bytes.fromhex("FF20000003FFFFFF")) == (b"", 0x6A81)
    card.disconnect()


def test_sam_slot_beside_the_main_slot(vreader, pcscd):
    """The SAM slot is a further slot of the one reader: powered and exchanged through pcscd while
    the main slot holds a memory card of its own."""
    change_card(vreader, "24c02")
    main = connect(pcscd, MEMORY_ATR)
    sam = connect(pcscd, bytes.fromhex("3B95"), slot=1)
    assert bytes(sam.getATR()) == CPU_ATR
    select_quillet_file(sam)
    assert send(sam, bytes.fromhex("00B0000007")) == (b"QUILLET", 0x9000)
    assert send(sam, bytes.fromhex("0020000104") + b"0000") == (b"", 0x63C2)
    data, sw = send(main, bytes.fromhex("FFB0000008"))
    assert sw == 0x9000 and data == vreader.contents()[:8]
    assert send(sam, bytes.fromhex("0020000104") + b"1234") == (b"", 0x9000)
    sam.disconnect()
    main.disconnect()


def reader_event(reader_name):
    """pcscd's event count and ATR of a reader."""
    from smartcard import scard
    result, context = scard.SCardEstablishContext(scard.SCARD_SCOPE_USER)
    assert result == scard.SCARD_S_SUCCESS
    try:
        result, states = scard.SCardGetStatusChange(context, 0, [(reader_name, scard.SCARD_STATE_UNAWARE)])
        assert result == scard.SCARD_S_SUCCESS
        _, state, atr = states[0]
        return state >> 16, bytes(atr)
    finally:
        scard.SCardReleaseContext(context)


@pytest.mark.parametrize("first, second, second_atr", [
    ("cpu", "sle4442", MEMORY_ATR),
    ("sle4442", "24c02", MEMORY_ATR),
    ("24c02", "cpu", CPU_ATR),
])
def test_card_changed_without_a_removal(vreader, pcscd, first, second, second_atr):
    """Another card put in while one is in use, no removal in between: PC/SC sees a removal and an
    insertion, and the new card's ATR. (A memory card is told by its first bytes: here they hold
    data, as an issued card's do.)"""
    from smartcard.System import readers
    from smartcard.Exceptions import CardConnectionException
    change_card(vreader, first)
    if first != "cpu" and set(vreader.contents()[:16]) == {0xFF}:  # erased
        vreader.command("load " + (bytes(range(0x30, 0x40)) + vreader.contents()[16:]).hex())
    card = connect(pcscd, CPU_ATR[:2] if first == "cpu" else MEMORY_ATR)
    name = str(readers()[0])
    events, atr = reader_event(name)
    vreader.insert(second)
    deadline = time.monotonic() + 5
    while time.monotonic() < deadline:
        now, atr_now = reader_event(name)
        if now >= events + 2 and atr_now.startswith(second_atr) and atr_now != atr:
            break
        time.sleep(0.1)
    else:
        pytest.fail(f"no removal and insertion seen: events {events} -> {now}, ATR {atr_now.hex()}")
    with pytest.raises(CardConnectionException):  # the old card's connection has gone
        card.transmit([0xFF, 0xB0, 0x00, 0x00, 0x01])
    card.disconnect()
    card = connect(pcscd, second_atr)
    card.disconnect()


def test_card_asking_for_more_time_for_ever(vreader, pcscd):
    """A card that answers every block with S(WTX request): the transmit ends with an error within
    seconds, and the reader serves the next card."""
    from smartcard.Exceptions import CardConnectionException
    change_card(vreader, "cpu")
    card = connect(pcscd, bytes.fromhex("3B95"))
    vreader.command("fault wtx next 1000000")
    outcome = []

    def transmit():
        try:
            outcome.append(card.transmit(list(bytes.fromhex("00B0000007"))))
        except CardConnectionException as error:
            outcome.append(error)

    worker = threading.Thread(target=transmit, daemon=True)
    started = time.monotonic()
    worker.start()
    worker.join(10)
    vreader.command("fault clear")
    assert not worker.is_alive(), "the transmit never ended"
    assert isinstance(outcome[0], CardConnectionException), outcome
    assert time.monotonic() - started < 10
    card.disconnect()
    change_card(vreader, "cpu")
    card = connect(pcscd, bytes.fromhex("3B95"))
    select_quillet_file(card)
    assert send(card, bytes.fromhex("00B0000007")) == (b"QUILLET", 0x9000)
    card.disconnect()
