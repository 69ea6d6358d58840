"""Which device a port number opens, and why the system will not open it: the texts of the
opening failures name the device and the system's reason."""
import os
import sys

PARALLEL_FROM = 101   # port numbers above 100 are parallel port addresses
NAMED_PORTS = 20      # 0..19 open COM1..COM20; any other number up to 100 opens COM1


def device_of(port):
    """The device port opens: QUILLET_COM<n+1> or /dev/ttyS<n> (COM<n+1> on Windows)."""
    if port >= PARALLEL_FROM:
        return f"the parallel port at 0x{port:X}"
    n = port if 0 <= port < NAMED_PORTS else 0
    if sys.platform == "win32":
        return f"COM{n + 1}"
    return os.environ.get(f"QUILLET_COM{n + 1}") or f"/dev/ttyS{n}"


def open_failure(device):
    """The system's reason why device cannot be used as a serial port ("No such file or
    directory", "Permission denied", "Inappropriate ioctl for device"), or "" when it opens."""
    if sys.platform == "win32" or not device.startswith("/"):
        return ""
    import termios
    try:
        fd = os.open(device, os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)
    except OSError as e:
        return e.strerror
    try:
        termios.tcgetattr(fd)
    except termios.error as e:
        return e.args[1] if len(e.args) > 1 else str(e)
    finally:
        os.close(fd)
    return ""
