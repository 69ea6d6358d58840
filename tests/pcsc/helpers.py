"""What the PC/SC tests share: connecting through pcscd, changing the virtual reader's card,
sending an APDU."""
import time

WAIT_S = 15
BEEP = 0x42000001
CPU_ATR = bytes.fromhex("3B95118131FE45804351565219")
MEMORY_ATR = bytes.fromhex("3B8F8001")


def connect(pcscd, atr_start=None, slot=0):
    """A connection to the card once pcscd has powered it (and its ATR starts as given)."""
    from smartcard.System import readers
    from smartcard.Exceptions import CardConnectionException, NoCardException
    deadline = time.monotonic() + WAIT_S
    while True:
        found = readers()
        assert len(found) > slot, "pcscd shows no such reader: " + pcscd.output()[-2000:]
        connection = found[slot].createConnection()
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


def select_quillet_file(card):
    """Selects the virtual processor card's application and its file 0101."""
    assert send(card, bytes.fromhex("00A4040004F051565200"))[1] >> 8 == 0x61
    assert send(card, bytes.fromhex("00A4020C020101")) == (b"", 0x9000)
