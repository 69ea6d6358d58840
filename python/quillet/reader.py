"""A reader on a port: the handle of ic_init and the reader's own services."""
import ctypes
import os

from ._buffers import byte_buffer, from_bytes
from ._library import library
from .cards import Card, offered_families, offered_family
from .errors import QuilletError


class Reader:
    """An open link to a reader. Use ``Reader.open`` and close it, best in a ``with`` block.

    Every export that takes a port handle is reachable with ``call(name, *arguments)``.
    """

    def __init__(self, handle, port, baud, lib=None):
        self._handle = handle
        self.port = port
        self.baud = baud
        self._lib = lib or library()

    @classmethod
    def open(cls, port=0, baud=None, *, device=None):
        """Opens port (0 = COM1: QUILLET_COM1 or /dev/ttyS0 on Linux; above 100 a parallel port).

        baud None looks for the reader's rate with chk_baud (up to about 23 s when nothing
        answers). device names the serial device for the port (sets QUILLET_COM<port+1>).
        """
        lib = library()
        if device is not None:
            os.environ[f"QUILLET_COM{port + 1}"] = str(device)
        if baud is None:
            baud = lib.chk_baud(port)
            if baud < 0:
                raise QuilletError(baud, "chk_baud")
        handle = lib.ic_init(port, baud)
        if handle < 0:
            raise QuilletError(handle, "ic_init")
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
        """Calls the export name with this reader's handle first; a negative result raises
        QuilletError, any other result is returned."""
        result = getattr(self._lib, name)(self.handle, *args)
        if isinstance(result, int) and result < 0:
            raise QuilletError(result, name)
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
        return self._read("srd_eeprom", length, offset, length)

    def write_user_area(self, offset, data):
        self.call("swr_eeprom", offset, len(data), from_bytes(data))

    def stored_value(self):
        value = ctypes.c_int32()
        self.call("val_read", ctypes.byref(value))
        return value.value

    def set_stored_value(self, value):
        self.call("val_set", value)

    # ---- cards ----

    def card(self, family):
        """The card in the slot, driven as family (``"sle4442"``, ``"24c02"``, ``"at88sc1608"``...)."""
        return Card(self, offered_family(family, self._lib))

    def families(self):
        """The names of the card families this library drives."""
        return [f.name for f in offered_families(self._lib)]
