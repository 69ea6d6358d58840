"""The driver in a real pcscd, seen through pyscard: the virtual processor card over T=1 and memory
cards through the class FF pseudo-APDUs, with the virtual card's contents checked afterwards."""
import time

import pytest

WAIT_S = 15
BEEP = 0x42000001


def connect(pcscd, atr_start=None):
    """A connection to the card once pcscd has powered it (and its ATR starts as given)."""
    from smartcard.System import readers
    from smartcard.Exceptions import CardConnectionException, NoCardException
    deadline = time.monotonic() + WAIT_S
    while True:
        found = readers()
        assert found, "pcscd shows no reader: " + pcscd.output()[-2000:]
        connection = found[0].createConnection()
        try:
            connection.connect()
            if atr_start is None or bytes(connection.getATR()).startswith(atr_start):
                return connection
            connection.disconnect()
        except (CardConnectionException, NoCardException):
            pass
        assert time.monotonic() < deadline, "no card powered: " + pcscd.output()[-2000:]
        time.sleep(0.2)


def change_card(vreader, family):
    """Takes the card out long enough for pcscd's presence polling to notice, then inserts another."""
    vreader.command("remove")
    time.sleep(1.0)
    vreader.insert(family)


def send(connection, apdu):
    data, sw1, sw2 = connection.transmit(list(apdu))
    return bytes(data), (sw1 << 8) | sw2


def test_reader_and_processor_card(vreader, pcscd):
    from smartcard.System import readers
    change_card(vreader, "cpu")
    assert [str(r) for r in readers()] == ["Quillet 00 00"]
    card = connect(pcscd, bytes.fromhex("3B95"))
    assert bytes(card.getATR()) == bytes.fromhex("3B95118131FE4580435156 5219".replace(" ", ""))
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
    assert send(card, bytes.fromhex("FF0E0000")) == (b"", 0x6D00)
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
