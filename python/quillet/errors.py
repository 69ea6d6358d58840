"""Failures of library calls, with the status code, its name from quillet.h and what it means for
the call that returned it; refusals of a processor card by their ISO/IEC 7816-4 status word."""
from ._declarations import STATUSES
from ._status_words import status_word_meaning

READER_CODE_WRONG = -0x97

_CODE_CALLS = ("csc_", "cesc_")
_WRITE_CALLS = ("swr_", "wsc_", "wesc_", "pwr_", "ser_", "eral_", "wrwpb_", "swfus_", "psnl_", "wac_", "swrconfig_",
                "wdcr_")
_PROCESSOR_CALLS = ("cpu_", "sam_")

# What a reader status byte means, for the calls whose names start with one of the prefixes (no
# prefix: any call). The first row that fits wins. The bytes are the readers' own refusals.
_READER_STATUSES = (
    (0x99, _WRITE_CALLS, "the card refused the write: present the security code first (Card.present_code)"),
    (0x99, (), "the security code has not been presented since the card was powered"),
    (0x97, _CODE_CALLS, "wrong code: the card counted a failed attempt"),
    (0x97, (), "wrong security or erase code"),
    (0x98, (), "the card is locked: its error counter is used up and it takes no more codes"),
    (0x96, (), "the card refused: a protected or locked area"),
    (0x94, (), "the card is still programming (busy); try again"),
    (0x93, _PROCESSOR_CALLS, "no processor card answers in the slot: a memory card, or no card"),
    (0x93, (), "the card does not answer"),
    (0x89, (), "no card in the slot"),
    (0x86, (), "no card in the slot"),
    (0x8C, (), "the reader refused the address, count or length"),
    (0x8B, (), "the reader or the card has no such command (a card of another family?)"),
    (0x82, (), "the reader received a frame with a wrong checksum"),
)


def status_name(status):
    """``QL_BAD_LENGTH`` for -143; ``reader status byte 0x97`` for minus a reader status byte."""
    names = STATUSES.get(status)
    if names:
        return "/".join(name for name, _ in names)
    if -255 <= status < 0:
        return f"reader status byte 0x{-status:02X}"
    return f"status {status}"


def status_meaning(status, call=None):
    """What status means when call returned it: the library's text for its own codes, the reader's
    refusal in the terms of the call for minus a reader status byte; "" when unknown."""
    names = STATUSES.get(status)
    if names:
        return names[0][1]
    for byte, prefixes, meaning in _READER_STATUSES:
        if status == -byte and (not prefixes or (call or "").startswith(prefixes)):
            return meaning
    return ""


class QuilletError(Exception):
    """A library call returned a failure status.

    ``status`` is the code (-143), ``name`` its name (``QL_BAD_LENGTH``), ``call`` the export,
    ``detail`` what it means for this call; ``attempts_left`` after a wrong code, when read back.
    """

    def __init__(self, status, call=None, detail=None):
        self.status = status
        self.name = status_name(status)
        self.call = call
        self.detail = detail or status_meaning(status, call)
        self.attempts_left = None
        text = (f"{self.detail} " if self.detail else "") + f"[{self.name} ({status})]"
        super().__init__(f"{call}: {text}" if call else text)

    def with_attempts_left(self, left):
        """This failure of a code presentation, telling the attempts left read from the card."""
        if left is None:
            detail = "wrong code (the attempts left could not be read back)"
        elif left <= 0:
            detail = "wrong code: no attempts left, the card is now locked"
        else:
            detail = f"wrong code: {left} attempt{'s' if left != 1 else ''} left"
        error = QuilletError(self.status, self.call, detail)
        error.attempts_left = left
        return error


class CardStatusError(Exception):
    """A processor card answered a command with a status word other than 90 00.

    ``sw`` is the status word (0x6982), ``meaning`` its ISO/IEC 7816-4 name, ``response`` the
    whole Response (data and status word).
    """

    def __init__(self, response, slot=0):
        self.response = response
        self.sw = response.sw
        self.meaning = status_word_meaning(response.sw) or "a status word outside ISO/IEC 7816-4"
        where = "the card" if slot == 0 else f"the SAM in slot {slot}"
        super().__init__(f"{where} answered {response.sw:04X}: {self.meaning}")
