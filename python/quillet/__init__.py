"""Quillet for Python: the contact IC card reader library through ctypes.

    import quillet
    with quillet.Reader.open(port=0) as reader:         # port 0 = COM1 (QUILLET_COM1 on Linux)
        print(reader.version())
        card = reader.card("sle4442")
        data = card.read(0, 32)
        card.present_code("FFFFFF")                      # bytes or hexadecimal text
        print(reader.detect())                           # "sle4442", "cpu" for a processor card, None
        reader.reset(slot=0)                             # a processor card's answer to reset
        print(reader.apdu("0084000008").data)            # slots 1..5: the SAMs

Arguments are checked before the library is called (ValueError naming the argument); failures
raise QuilletError with the status, its name and what it means for the call, and a processor
card's refusal raises CardStatusError with its ISO/IEC 7816-4 status word named. Flash cards'
transfers take ``progress=callback(done, total)`` and then go page by page.

Every export of quillet.h is also reachable as it is: ``quillet.library().srd_4442(handle, 0, 32,
buffer)`` with the header's types, or ``reader.call("srd_4442", 0, 32, buffer)`` with the reader's
handle put first and a failure raised as QuilletError.
"""
from ._library import Library, library, library_version
from ._status_words import status_word_meaning
from .cards import Card, Family, FAMILIES
from .errors import CardStatusError, QuilletError, status_name
from .reader import Reader, Response

__version__ = "9.40"

__all__ = ["Card", "CardStatusError", "FAMILIES", "Family", "Library", "QuilletError", "Reader", "Response",
           "library", "library_version", "status_name", "status_word_meaning"]
