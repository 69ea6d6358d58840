#!/usr/bin/python3
"""APDU round trip: through pcscd and libifd-quillet.so against the library called directly, on the
virtual processor card.

    bench/pcsc_round_trip.py BUILD [COUNT]

BUILD is a build directory with libquillet.so, quillet-vreader and pcsc/libifd-quillet.so. Prints
microseconds per APDU (median of COUNT). Not a test; needs pcscd, pyscard and unshare.
"""
import ctypes
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "support"))
from pcscd import Pcscd  # noqa: E402
from virtual_reader import VirtualReader  # noqa: E402

SELECT_DF = bytes.fromhex("00A4000C025F10")
SELECT_EF = bytes.fromhex("00A4020C020101")
READ_4 = bytes.fromhex("00B0000004")


def median_us(samples):
    return statistics.median(samples) * 1e6


def timed_transmits(setup, command, count):
    """pyscard's low-level calls (its high-level connection adds about 2 ms of its own per APDU)."""
    from smartcard import scard
    deadline = time.monotonic() + 20
    while True:
        _, context = scard.SCardEstablishContext(scard.SCARD_SCOPE_USER)
        _, names = scard.SCardListReaders(context, [])
        if names:
            result, card, protocol = scard.SCardConnect(context, names[0], scard.SCARD_SHARE_SHARED,
                                                        scard.SCARD_PROTOCOL_T0 | scard.SCARD_PROTOCOL_T1)
            if result == scard.SCARD_S_SUCCESS:
                break
        scard.SCardReleaseContext(context)
        if time.monotonic() > deadline:
            raise RuntimeError("no card in pcscd's reader")
        time.sleep(0.2)
    for apdu in setup:
        scard.SCardTransmit(card, protocol, list(apdu))
    samples = []
    for _ in range(count):
        start = time.perf_counter()
        result, response = scard.SCardTransmit(card, protocol, list(command))
        samples.append(time.perf_counter() - start)
        assert result == scard.SCARD_S_SUCCESS and response[-2:] == [0x90, 0x00], (result, response)
    scard.SCardDisconnect(card, scard.SCARD_LEAVE_CARD)
    scard.SCardReleaseContext(context)
    return median_us(samples)


def t1_block(pcb, information):
    block = bytes([0, pcb, len(information)]) + information
    lrc = 0
    for byte in block:
        lrc ^= byte
    return block + bytes([lrc])


def library_directly(library, device, count):
    os.environ["QUILLET_COM1"] = device
    quillet = ctypes.CDLL(library)
    handle = quillet.ic_init(0, 115200)
    answer = (ctypes.c_uint8 * 33)()
    assert quillet.cpu_reset(handle, answer) == 0
    response = (ctypes.c_uint8 * 259)()
    sequence = 0
    samples = []
    for index, command in enumerate([SELECT_DF, SELECT_EF] + [READ_4] * count):
        block = t1_block(0x40 if sequence else 0x00, command)
        sequence ^= 1
        start = time.perf_counter()
        status = quillet.cpu_comres(handle, len(block), block, response)
        if index > 1:
            samples.append(time.perf_counter() - start)
        assert status == 0 and bytes(response[1 + response[2]:3 + response[2]]) == b"\x90\x00", (status, bytes(response[:12]).hex())
    quillet.ic_exit(handle)
    return median_us(samples)


def main():
    build = os.path.abspath(sys.argv[1])
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 300
    driver = os.path.join(build, "pcsc", "libifd-quillet.so")
    vreader = VirtualReader(os.path.join(build, "emulator", "quillet-vreader"), card="cpu")
    try:
        direct = library_directly(os.path.join(build, "libquillet.so"), vreader.device, count)
        daemon = Pcscd(f'FRIENDLYNAME "Quillet"\nDEVICENAME {vreader.device}:115200:0\nLIBPATH {driver}\n')
        os.environ["PCSCLITE_CSOCK_NAME"] = daemon.socket
        try:
            through = timed_transmits([SELECT_DF, SELECT_EF], READ_4, count)
        finally:
            daemon.stop()
    finally:
        vreader.stop()
    print(f"READ BINARY, 4 bytes, virtual processor card at 115200 baud, median of {count}:")
    print(f"  library directly (cpu_comres)   {direct:8.0f} us")
    print(f"  pcscd + libifd-quillet.so       {through:8.0f} us  ({through - direct:+.0f} us)")

if __name__ == "__main__":
    main()
