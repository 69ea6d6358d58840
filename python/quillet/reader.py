"""A reader on a port: the handle of ic_init, the reader's own services, the card in its slot and
the processor cards and SAMs."""
import ctypes
import os
from dataclasses import dataclass

from . import _arguments as arguments
from ._buffers import byte_buffer, from_bytes
from ._library import library
from ._ports import device_of, open_failure
from ._status_words import status_word_meaning
from .cards import FAMILIES, Card, family_of_card_type, find_family
from .errors import CardStatusError, QuilletError

QL_PORT_ERROR = -136
QL_PORT_BUSY = -149
QL_NO_READER = -141
QL_READ_FAILED = -128
QL_TIMEOUT = -132
USER_AREA = 384          # bytes of the reader's own memory

CPU_ANSWER_MAX = 33      # longest answer to reset the library writes
CPU_RESPONSE_MAX = 258   # longest response of the protocol exports: NAD PCB LEN and 255 INF bytes
BLOCK_MAX = 250          # longest block: NAD PCB LEN, the APDU, LRC
BLOCK_OVERHEAD = 4
APDU_MIN = 4             # CLA INS P1 P2
SLOTS = 5                # SAM slots 1..5 beside the processor-card slot 0
SEQUENCE_BIT = 0x40      # N(S) in an I-block's PCB
NOT_I_BLOCK = 0x80       # set in the PCB of R- and S-blocks


def _call(lib, name, *args):
    """The export name called with its integer arguments checked against their C types."""
    return getattr(lib, name)(*arguments.call_arguments(name, lib.declarations[name][1], args))


def _open_error(status, call, port):
    device = device_of(port)
    # The library tells a port held by another program from other failures; the system's own
    # reason, learnt by opening the device here, says which failure it was.
    reason = open_failure(device) if status in (QL_PORT_BUSY, QL_PORT_ERROR) else ""
    if status == QL_PORT_BUSY and not reason:
        detail = f"port {port} ({device}) is held by another program"
    elif status in (QL_PORT_BUSY, QL_PORT_ERROR):
        detail = f"cannot open port {port} ({device})" + (f": {reason}" if reason else "")
    elif status == QL_NO_READER and call == "chk_baud":
        detail = f"no reader answers on {device} at any rate"
    else:
        detail = None
    error = QuilletError(status, call, detail)
    error.device = device
    return error


@dataclass(frozen=True)
class Response:
    """A processor card's answer to one command APDU: its data and its status word."""
    data: bytes
    sw: int

    @property
    def sw1(self):
        return self.sw >> 8

    @property
    def sw2(self):
        return self.sw & 0xFF

    @property
    def ok(self):
        return self.sw == 0x9000

    @property
    def meaning(self):
        return status_word_meaning(self.sw)


class Reader:
    """An open link to a reader. Use ``Reader.open`` and close it, best in a ``with`` block.

    Every export that takes a port handle is reachable with ``call(name, *arguments)``.
    """

    def __init__(self, handle, port, baud, lib=None):
        self._handle = handle
        self.port = port
        self.baud = baud
        self._lib = lib or library()
        self._next_pcb = {}

    @classmethod
    def open(cls, port=0, baud=None, *, device=None):
        """Opens port (0 = COM1: QUILLET_COM1 or /dev/ttyS0 on Linux; above 100 a parallel port).

        baud None looks for the reader's rate with chk_baud (up to about 23 s when nothing
        answers). device names the serial device for the port (sets QUILLET_COM<port+1>).
        A port that cannot be opened raises QuilletError naming the device and the reason.
        """
        lib = library()
        arguments.c_integer("port", port, "int16_t")
        if device is not None:
            os.environ[f"QUILLET_COM{port + 1}"] = str(device)
        if baud is None:
            baud = _call(lib, "chk_baud", port)
            if baud < 0:
                raise _open_error(baud, "chk_baud", port)
        handle = _call(lib, "ic_init", port, baud)
        if handle < 0:
            raise _open_error(handle, "ic_init", port)
        return cls(handle, port, baud, lib)

    @property
    def handle(self):
        if self._handle is None:
            raise ValueError("the reader is closed")
        return self._handle

    @property
    def closed(self):
        return self._handle is None

    def close(self):
        if self._handle is not None:
            handle, self._handle = self._handle, None
            status = self._lib.ic_exit(handle)
            if status != 0:
                raise QuilletError(status, "ic_exit")

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def __repr__(self):
        state = "closed" if self.closed else f"handle {self._handle}"
        return f"<quillet.Reader port {self.port} at {self.baud} baud, {state}>"

    def call(self, name, *args):
        """Calls the export name with this reader's handle first; integer arguments out of their
        C type's range raise ValueError, a negative result raises QuilletError, any other result
        is returned."""
        result = _call(self._lib, name, self.handle, *args)
        if isinstance(result, int) and result < 0:
            detail = f"no reply from the reader on {device_of(self.port)} in time" if result == QL_TIMEOUT else None
            raise QuilletError(result, name, detail)
        return result

    def _read(self, name, size, *args):
        buffer = byte_buffer(size)
        self.call(name, *args, buffer)
        return bytes(buffer)

    # ---- the reader's own services ----

    def version(self):
        """The reader's version text."""
        return self._read("srd_ver", 18, 18).split(b"\0", 1)[0].decode("latin-1")

    def serial_number(self):
        return self._read("srd_snr", 16, 16)

    def device_code(self):
        return self._read("srd_dvsc", 3, 3)

    def card_state(self):
        """0 when the slot is empty, else the card's state (1..3)."""
        state = ctypes.c_int16()
        self.call("get_status", ctypes.byref(state))
        return state.value

    def beep(self, units=10):
        """Sounds the buzzer for units x 10 ms."""
        self.call("dv_beep", units)

    def power_on(self):
        self.call("turn_on")

    def power_off(self):
        self.call("turn_off")

    def read_user_area(self, offset, length):
        """Bytes of the reader's own 384-byte memory."""
        offset = arguments.integer("offset", offset, 0, USER_AREA - 1)
        length = arguments.integer("length", length, 1, USER_AREA - offset)
        return self._read("srd_eeprom", length, offset, length)

    def write_user_area(self, offset, data):
        data = arguments.byte_string("data", data)
        offset = arguments.integer("offset", offset, 0, USER_AREA - 1)
        arguments.integer("the data's length", len(data), 1, USER_AREA - offset)
        self.call("swr_eeprom", offset, len(data), from_bytes(data))

    def stored_value(self):
        value = ctypes.c_int32()
        self.call("val_read", ctypes.byref(value))
        return value.value

    def set_stored_value(self, value):
        self.call("val_set", value)

    # ---- memory cards ----

    def card(self, family):
        """The card in the slot, driven as family (``"sle4442"``, ``"4442"``, ``"AT88SC1608"``...)."""
        return Card(self, find_family(family))

    def families(self):
        """The names of the card families this package drives."""
        return [f.name for f in FAMILIES]

    def detect(self):
        """What is in the slot: the family name chk_card finds ("sle4442"), "cpu" for a processor
        card (one that answers to reset), or None for an empty slot or a card nothing accepts.
        An empty slot is told at once; chk_card may take a minute and a half."""
        if self.card_state() == 0:
            return None
        family = family_of_card_type(self.call("chk_card"))
        if family is not None:
            return family.name
        try:
            self.reset()
        except QuilletError:
            return None
        return "cpu"

    # ---- processor cards and SAMs ----

    def _slot(self, slot):
        return arguments.integer("slot", slot, 0, SLOTS)

    def reset(self, slot=0):
        """Resets the processor card (slot 0) or the SAM in slot 1..5 and returns its answer to
        reset."""
        slot = self._slot(slot)
        length = ctypes.c_int16()
        answer = byte_buffer(CPU_ANSWER_MAX)
        self.call("sam_slt_reset", slot, ctypes.byref(length), answer)
        self._next_pcb[slot] = 0x00
        return bytes(answer)[:min(max(length.value, 0), CPU_ANSWER_MAX)]

    def apdu(self, command, *, slot=0, check=True):
        """Sends one command APDU (bytes or hexadecimal text) to the processor card (slot 0) or the
        SAM in slot 1..5, reset first with ``reset``, and returns its Response. The library answers
        the card's 61xx and 6Cxx itself. With check, a status word other than 90 00 raises
        CardStatusError naming it."""
        slot = self._slot(slot)
        command = arguments.byte_string("command", command)
        arguments.integer("the APDU's length", len(command), APDU_MIN, BLOCK_MAX - BLOCK_OVERHEAD)
        pcb = self._next_pcb.get(slot, 0x00)
        block = bytes((0x00, pcb, len(command))) + command
        lrc = 0
        for b in block:
            lrc ^= b
        block += bytes((lrc,))
        response = byte_buffer(CPU_RESPONSE_MAX)
        if slot == 0:
            self.call("cpu_protocol", len(block), from_bytes(block), response)
        else:
            self.call("sam_slt_protocol", slot, len(block), from_bytes(block), ctypes.byref(ctypes.c_int16()), response)
        raw = bytes(response)
        # The next I-block's N(S) follows the card's last I-block: the library's own follow-ups
        # (GET RESPONSE, a resend with the right Le) took sequence numbers too.
        if raw[1] & NOT_I_BLOCK == 0:
            self._next_pcb[slot] = (raw[1] & SEQUENCE_BIT) ^ SEQUENCE_BIT
        inf = raw[3:3 + raw[2]]
        if len(inf) < 2:
            raise QuilletError(QL_READ_FAILED, "cpu_protocol" if slot == 0 else "sam_slt_protocol",
                               "the card's response carries no status word")
        answer = Response(inf[:-2], inf[-2] << 8 | inf[-1])
        if check and not answer.ok:
            raise CardStatusError(answer, slot)
        return answer
