"""pytest plugin (-p virtual_reader): a quillet-vreader process for the Python and CLI tests.

The fixture ``vreader`` starts the program named by QUILLET_VREADER at 115200 baud with a control
socket in a temporary directory, points QUILLET_COM1 at its pseudo-terminal, and stops it after
the test module. Tests change its card with ``vreader.insert("24c02")`` and look inside with
``vreader.contents()``, ``vreader.beeps()`` and ``vreader.command(...)``.
"""
import os
import select
import shutil
import socket
import subprocess
import tempfile
import time

import pytest
from stopping import stop_process

RATE = 115200
START_LIMIT_S = 10


class VirtualReader:
    def __init__(self, program, card="sle4442"):
        self.directory = tempfile.mkdtemp(prefix="quillet-vr-")
        self.socket_path = os.path.join(self.directory, "control")
        arguments = [program, "--rate", str(RATE), "--control", self.socket_path]
        self.process = subprocess.Popen(arguments + (["--card", card] if card else []), stdout=subprocess.PIPE,
                                        text=True)
        ready, _, _ = select.select([self.process.stdout], [], [], START_LIMIT_S)
        line = self.process.stdout.readline().strip() if ready else ""
        if not line.startswith("QUILLET_COM1="):
            self.stop()
            raise RuntimeError(f"quillet-vreader did not start: {line!r}")
        self.device = line.split("=", 1)[1]
        deadline = time.monotonic() + START_LIMIT_S
        while not os.path.exists(self.socket_path) and time.monotonic() < deadline:
            time.sleep(0.01)

    def command(self, text):
        """The answer after 'ok' of one control command; RuntimeError on 'err'."""
        with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as s:
            s.settimeout(START_LIMIT_S)
            s.connect(self.socket_path)
            s.sendall(text.encode() + b"\n")
            received = b""
            while True:
                chunk = s.recv(65536)
                if not chunk:
                    break
                received += chunk
                last = received.decode().rstrip("\n").split("\n")[-1]
                if received.endswith(b"\n") and (last == "ok" or last.startswith(("ok ", "err"))):
                    break
        last = received.decode().rstrip("\n").split("\n")[-1]
        if not last.startswith("ok"):
            raise RuntimeError(f"control '{text}': {last}")
        return last[3:]

    def insert(self, family):
        self.command(f"insert {family}")

    def contents(self):
        return bytes.fromhex(self.command("contents"))

    def beeps(self):
        return [int(u) for u in self.command("beeps").split()]

    def stop(self):
        stop_process(self.process)
        self.process.stdout.close()
        shutil.rmtree(self.directory, ignore_errors=True)


@pytest.fixture(scope="module")
def vreader():
    program = os.environ.get("QUILLET_VREADER")
    if not program:
        pytest.fail("QUILLET_VREADER names no quillet-vreader")
    reader = VirtualReader(program)
    saved = os.environ.get("QUILLET_COM1")
    os.environ["QUILLET_COM1"] = reader.device
    yield reader
    reader.stop()
    if saved is None:
        os.environ.pop("QUILLET_COM1", None)
    else:
        os.environ["QUILLET_COM1"] = saved


@pytest.fixture
def sle4442(vreader):
    """A fresh SLE4442 (code FF FF FF, three attempts) in the virtual reader."""
    vreader.insert("sle4442")
    return vreader
