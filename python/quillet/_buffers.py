"""bytes in and out of the library's byte buffers."""
import ctypes


def byte_buffer(size):
    return (ctypes.c_uint8 * max(size, 0))()


def from_bytes(data):
    """A buffer holding data (bytes, bytearray or a list of ints), for a `const uint8_t*` parameter."""
    data = bytes(data)
    return (ctypes.c_uint8 * len(data)).from_buffer_copy(data)
