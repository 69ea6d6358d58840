"""The Python package against quillet.h, the built library and the virtual reader."""
import os
import re
import subprocess
import sys

import pytest

import quillet
from quillet import _header
from quillet._declarations import FUNCTIONS, STATUSES
from quillet._library import ctype

HEADER = os.environ["QUILLET_HEADER"]


def header_text():
    with open(HEADER, encoding="utf-8") as f:
        return f.read()


def test_every_declaration_of_the_header_is_typed_and_exported():
    text = header_text()
    assert _header.unparsed_declarations(text) == []
    assert FUNCTIONS == _header.functions(text)
    assert STATUSES == _header.statuses(text)
    lib = quillet.library()
    assert lib.missing == []
    for name, (result, params) in FUNCTIONS.items():
        function = getattr(lib, name)
        assert function.restype == ctype(result), name
        assert function.argtypes == [ctype(t) for t, _ in params], name


def test_the_parser_refuses_what_it_cannot_type():
    text = ("QL_API int16_t QL_CALL srd_x(int32_t handle,\n    const uint8_t *data) QL_NOTHROW;\n"
            "QL_API int16_t QL_CALL weird(int (*callback)(void)) QL_NOTHROW;\n")
    assert _header.functions(text) == {"srd_x": ("int16_t", (("int32_t", "handle"), ("const uint8_t*", "data")))}
    assert _header.unparsed_declarations(text) == ["QL_API int16_t QL_CALL weird(int (*callback)(void)) QL_NOTHROW"]
    with pytest.raises(TypeError):
        ctype("struct reader*")


def test_versions():
    assert quillet.__version__ == os.environ["QUILLET_VERSION"]
    assert quillet.library_version().endswith("V" + quillet.__version__ + "A")


def test_reader_services(vreader):
    with quillet.Reader.open(0, 115200) as reader:
        assert reader.version()
        assert len(reader.serial_number()) == 16
        assert reader.card_state() != 0
        reader.beep(7)
        reader.write_user_area(10, b"quillet")
        assert reader.read_user_area(10, 7) == b"quillet"
    assert reader.closed
    assert 7 in vreader.beeps()
    with pytest.raises(ValueError):
        reader.beep()


def test_open_looks_for_the_rate(vreader):
    with quillet.Reader.open(0) as reader:
        assert reader.baud == 115200


def test_a_port_that_cannot_open_raises_its_status(tmp_path):
    with pytest.raises(quillet.QuilletError) as failure:
        quillet.Reader.open(5, 9600, device=tmp_path / "no-such-device")
    assert (failure.value.status, failure.value.name, failure.value.call) == (-136, "QL_PORT_ERROR", "ic_init")


def test_sle4442_code_memory_and_refusals(sle4442):
    with quillet.Reader.open(0, 115200) as reader:
        card = reader.card("sle4442")
        assert card.check() and not reader.card("24c02").check()
        with pytest.raises(quillet.QuilletError) as refused:
            card.present_code(b"\x12\x34\x56")
        assert refused.value.status < 0 and refused.value.name.startswith("reader status byte 0x")
        assert card.attempts_left() == 2
        card.present_code(b"\xff\xff\xff")
        card.write(40, b"\x01\x02\x03")
        assert card.read(40, 3) == b"\x01\x02\x03"
        assert len(card.read()) == 256
        with pytest.raises(quillet.QuilletError) as bad:   # what the package refuses, the library refuses too
            reader.call("srd_4442", 250, 10, quillet._buffers.byte_buffer(10))
        assert (bad.value.status, bad.value.name) == (-143, "QL_BAD_LENGTH")
    assert sle4442.contents()[40:43] == b"\x01\x02\x03"


@pytest.mark.parametrize("family, zone, offset, data, image_at", [
    ("24c02", None, 200, b"\xa5\x5a", 200),
    ("93c46a", None, 2, b"\x10\x20\x30\x40", 4),   # words: word 2 is bytes 4..5
    ("sle4428", None, 1000, b"\x77", None),
    ("at88sc1608", 1, 5, b"\xc3\x3c", None),
])
def test_card_round_trips(vreader, family, zone, offset, data, image_at):
    vreader.insert(family)
    with quillet.Reader.open(0, 115200) as reader:
        card = reader.card(family)
        if family == "sle4428":
            reader.call("csc_4428", 2, quillet._buffers.from_bytes(b"\xff\xff"))
        card.write(offset, data, zone=zone)
        assert card.read(offset, len(data) // card.family.unit, zone=zone) == data
    if image_at is not None:
        assert vreader.contents()[image_at:image_at + len(data)] == data


@pytest.mark.parametrize("family, zone, offset, length, image_at", [
    ("sle4404", None, 0, 52, 0),
    ("sle4436", None, 0, 10, 0),   # the code bytes after them read as 00 until it is presented
    ("at88sc102", 1, 0, 70, None),
    ("at45d041", 3, 260, 10, 3 * 264 + 260),   # over a page end
    ("ssf1101", 2, 1020, 8, 2 * 1024 + 1020),
])
def test_security_and_flash_families_read(vreader, family, zone, offset, length, image_at):
    vreader.insert(family)
    image = vreader.contents()
    if family in ("at45d041", "ssf1101"):   # a fresh flash card is all FF: give its pages contents
        image = bytes(i % 251 for i in range(len(image)))
        vreader.command("load " + image.hex())
    with quillet.Reader.open(0, 115200) as reader:
        card = reader.card(family)
        assert card.check()
        data = card.read(offset, length, zone=zone)
    assert len(data) == length
    if image_at is not None:
        assert data == image[image_at:image_at + length]


def test_status_names_cover_every_code_of_the_header():
    status_header = os.path.join(os.path.dirname(HEADER), "quillet_status.h")
    with open(status_header, encoding="utf-8") as f:
        rows = set(re.findall(r"QL_STATUS_ROW\((QL_\w+),", f.read()))
    named = {name for names in STATUSES.values() for name, _ in names}
    assert rows == named, "quillet_status.h and quillet.h name the same codes"
    assert all(meaning for names in STATUSES.values() for _, meaning in names)
    too_long = quillet.QuilletError(-258, "cpu_protocol")
    assert too_long.name == "QL_RESPONSE_TOO_LONG" and "follow-ups" in str(too_long)


@pytest.mark.skipif(bool(os.environ.get("QUILLET_SANITIZED")), reason="pure Python: checked in the native run")
def test_pip_installs_the_package_offline(tmp_path):
    target = tmp_path / "site"
    subprocess.run([sys.executable, "-m", "pip", "install", "--quiet", "--disable-pip-version-check", "--no-index",
                    "--no-cache-dir", "--target", str(target), os.environ["QUILLET_PYTHON_SOURCE"]], check=True)
    shown = subprocess.run([sys.executable, "-c", "import quillet; print(quillet.library_version())"],
                           env={**os.environ, "PYTHONPATH": str(target)}, cwd=tmp_path, check=True,
                           capture_output=True, text=True)
    assert shown.stdout.strip() == quillet.library_version()
