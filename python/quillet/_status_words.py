"""The status words SW1 SW2 of ISO/IEC 7816-4 that a processor card answers with, by name."""

# (SW1 SW2, the bits that must match, meaning); the first match wins, so exact words come before
# the rows for a whole SW1.
STATUS_WORDS = (
    (0x9000, 0xFFFF, "success"),
    (0x6100, 0xFF00, "more response data available (SW2 bytes)"),
    (0x6200, 0xFFFF, "warning: state unchanged, no information given"),
    (0x6281, 0xFFFF, "warning: part of the returned data may be corrupted"),
    (0x6282, 0xFFFF, "warning: end of file or record reached before reading Ne bytes"),
    (0x6283, 0xFFFF, "warning: selected file deactivated"),
    (0x6284, 0xFFFF, "warning: file control information not formatted"),
    (0x6285, 0xFFFF, "warning: selected file in termination state"),
    (0x6286, 0xFFFF, "warning: no input data available from a sensor on the card"),
    (0x6200, 0xFF00, "warning: state unchanged, triggered by the card"),
    (0x6300, 0xFFFF, "warning: state changed, no information given"),
    (0x6381, 0xFFFF, "warning: file filled up by the last write"),
    (0x63C0, 0xFFF0, "verification failed: tries left in the low digit"),
    (0x6300, 0xFF00, "warning: state changed"),
    (0x6400, 0xFFFF, "execution error: state unchanged"),
    (0x6401, 0xFFFF, "execution error: immediate response required by the card"),
    (0x6400, 0xFF00, "execution error: state unchanged, triggered by the card"),
    (0x6500, 0xFFFF, "execution error: state changed, no information given"),
    (0x6581, 0xFFFF, "execution error: memory failure"),
    (0x6500, 0xFF00, "execution error: state changed"),
    (0x6600, 0xFF00, "execution error: security-related issue"),
    (0x6700, 0xFFFF, "wrong length"),
    (0x6700, 0xFF00, "wrong length"),
    (0x6800, 0xFFFF, "function in CLA not supported"),
    (0x6881, 0xFFFF, "logical channel not supported"),
    (0x6882, 0xFFFF, "secure messaging not supported"),
    (0x6883, 0xFFFF, "last command of the chain expected"),
    (0x6884, 0xFFFF, "command chaining not supported"),
    (0x6800, 0xFF00, "function in CLA not supported"),
    (0x6900, 0xFFFF, "command not allowed"),
    (0x6981, 0xFFFF, "command not allowed: command incompatible with file structure"),
    (0x6982, 0xFFFF, "command not allowed: security status not satisfied"),
    (0x6983, 0xFFFF, "command not allowed: authentication method blocked"),
    (0x6984, 0xFFFF, "command not allowed: reference data not usable"),
    (0x6985, 0xFFFF, "command not allowed: conditions of use not satisfied"),
    (0x6986, 0xFFFF, "command not allowed: no current EF"),
    (0x6987, 0xFFFF, "command not allowed: expected secure messaging data objects missing"),
    (0x6988, 0xFFFF, "command not allowed: incorrect secure messaging data objects"),
    (0x6900, 0xFF00, "command not allowed"),
    (0x6A00, 0xFFFF, "wrong parameters P1-P2"),
    (0x6A80, 0xFFFF, "wrong parameters: incorrect parameters in the command data field"),
    (0x6A81, 0xFFFF, "wrong parameters: function not supported"),
    (0x6A82, 0xFFFF, "wrong parameters: file or application not found"),
    (0x6A83, 0xFFFF, "wrong parameters: record not found"),
    (0x6A84, 0xFFFF, "wrong parameters: not enough memory space in the file"),
    (0x6A85, 0xFFFF, "wrong parameters: Nc inconsistent with TLV structure"),
    (0x6A86, 0xFFFF, "wrong parameters: incorrect parameters P1-P2"),
    (0x6A87, 0xFFFF, "wrong parameters: Nc inconsistent with parameters P1-P2"),
    (0x6A88, 0xFFFF, "wrong parameters: referenced data or reference data not found"),
    (0x6A89, 0xFFFF, "wrong parameters: file already exists"),
    (0x6A8A, 0xFFFF, "wrong parameters: DF name already exists"),
    (0x6A00, 0xFF00, "wrong parameters P1-P2"),
    (0x6B00, 0xFF00, "wrong parameters P1-P2"),
    (0x6C00, 0xFF00, "wrong Le field: SW2 gives the exact number of bytes available"),
    (0x6D00, 0xFF00, "instruction code not supported or invalid"),
    (0x6E00, 0xFF00, "class not supported"),
    (0x6F00, 0xFF00, "no precise diagnosis"),
)


def status_word_meaning(sw):
    """The meaning of the status word sw (0x6982 -> "command not allowed: security status not
    satisfied"), or "" for a word outside ISO/IEC 7816-4."""
    for value, mask, meaning in STATUS_WORDS:
        if sw & mask == value:
            return meaning
    return ""
