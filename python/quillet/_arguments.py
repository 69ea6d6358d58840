"""Arguments checked before they reach the library: integers against the range of their C type
(ctypes would wrap 65736 into an int16_t's 200 without a word), buffers sized from the checked
values, and codes given as bytes or hexadecimal text."""

_RANGES = {
    "int8_t": (-0x80, 0x7F), "uint8_t": (0, 0xFF), "char": (-0x80, 0xFF),
    "int16_t": (-0x8000, 0x7FFF), "uint16_t": (0, 0xFFFF), "short": (-0x8000, 0x7FFF),
    "int32_t": (-0x8000_0000, 0x7FFF_FFFF), "uint32_t": (0, 0xFFFF_FFFF), "int": (-0x8000_0000, 0x7FFF_FFFF),
    "int64_t": (-(1 << 63), (1 << 63) - 1), "uint64_t": (0, (1 << 64) - 1),
}


def integer(name, value, low, high):
    """value when it is an int in low..high, else ValueError (TypeError for a non-integer) naming it."""
    if isinstance(value, bool) or not isinstance(value, int):
        raise TypeError(f"{name} must be an integer, not {type(value).__name__}")
    if not low <= value <= high:
        raise ValueError(f"{name} {value} is out of range {low}..{high}")
    return value


def c_integer(name, value, c_type):
    """value checked against the range of the C type c_type ("int16_t"); other types pass as they are."""
    bounds = _RANGES.get(c_type.replace("const ", "").strip())
    return value if bounds is None else integer(f"{name} ({c_type})", value, *bounds)


def call_arguments(export, params, args):
    """The integer arguments of a call of export checked against its declared parameters."""
    if len(args) != len(params):
        raise TypeError(f"{export} takes {len(params)} arguments ({', '.join(n for _, n in params)}), "
                        f"{len(args)} given")
    return [c_integer(f"{export}: {name or f'argument {i + 1}'}", value, c_type)
            if isinstance(value, int) else value
            for i, ((c_type, name), value) in enumerate(zip(params, args))]


def byte_string(name, data):
    """bytes of data: bytes, bytearray, a list of ints 0..255, or hexadecimal text ("FF FF FF")."""
    if isinstance(data, str):
        try:
            return bytes.fromhex(data)
        except ValueError:
            raise ValueError(f"{name} '{data}' is not hexadecimal text (pairs of digits 0-9 A-F)") from None
    try:
        return bytes(data)
    except (TypeError, ValueError):
        raise TypeError(f"{name} must be bytes or hexadecimal text, not {type(data).__name__}") from None


def code_bytes(name, code, length):
    """code as bytes, which must be exactly length bytes: a short code would make the library read
    past it, and the card would count the wrong code as a failed attempt."""
    code = byte_string(name, code)
    if len(code) != length:
        raise ValueError(f"{name} must be {length} bytes, not {len(code)}")
    return code
