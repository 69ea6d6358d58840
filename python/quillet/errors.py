"""Failures of library calls, with the status code and its name from quillet.h."""
from ._declarations import STATUSES


def status_name(status):
    """``QL_BAD_LENGTH`` for -143; ``reader status byte 0x97`` for minus a reader status byte."""
    names = STATUSES.get(status)
    if names:
        return "/".join(name for name, _ in names)
    if -255 <= status < 0:
        return f"reader status byte 0x{-status:02X}"
    return f"status {status}"


def status_meaning(status):
    names = STATUSES.get(status)
    return names[0][1] if names else ""


class QuilletError(Exception):
    """A library call returned a failure status.

    ``status`` is the code (-143), ``name`` its name (``QL_BAD_LENGTH``), ``call`` the export.
    """

    def __init__(self, status, call=None):
        self.status = status
        self.name = status_name(status)
        self.call = call
        meaning = status_meaning(status)
        text = f"{self.name} ({status})" + (f": {meaning}" if meaning else "")
        super().__init__(f"{call}: {text}" if call else text)
