"""Every family of the catalogue, one row after the other: the virtual reader holds the card, the
tool and the Python package each write it where it is writable, read it back, present its codes,
and what they read and wrote is compared with the card's image as the virtual reader saves it."""
import os
import re
import subprocess

import pytest

import quillet
from quillet import cards

CLI = os.environ["QUILLET_CLI"]
VREADER = os.environ["QUILLET_VREADER"]
AT_RATE = ["--baud", "115200"]

# Where each family takes a write as made: (zone or page, offset). Elsewhere the cards keep
# identification bytes, protected bytes and code blocks. Not listed: (0, 5).
WRITABLE = {
    "sle4442": (0, 64), "2042": (0, 64), "sle4432": (0, 64), "sle4428": (0, 64), "sle4418": (0, 64),
    "sle4404": (0, 16), "sle4406": (0, 2), "sle4436": (0, 2), "at88sc101": (0, 24),
    "at88sc102": (1, 2), "at88sc1604": (1, 2), "at88sc1604b": (1, 2), "at88sc1604c": (1, 2),
    "at88sc1608": (1, 8), "at88sc153": (1, 8),
    "at45d041": (3, 262), "ssf1101": (3, 1022),  # across the end of page 3
}
UNITS = 3  # units written by each front end, the tool's first and Python's just after


def quillet_tool(*args):
    result = subprocess.run([CLI, *args, *AT_RATE], capture_output=True, text=True, timeout=120)
    assert result.returncode == 0, (args, result.stderr)
    return result.stdout


def erase_zone(family):
    """The zone whose erase code the test presents: the last with one (the AT88SC102 counts only
    zone 2's presentations); None on cards with one erase code."""
    if family.erase.shape != "zone":
        return None
    return max(i for i, z in enumerate(family.zone_table) if z.erase_code)


def default_code(family, erase=False):
    """The code of a card as made: FF bytes."""
    kind = family.erase if erase else family.code
    return "FF" * (kind.length or family.zone_table[erase_zone(family)].erase_code)


def image_position(family, zone, offset):
    """Where (zone or page, offset) lies in the card's image, in bytes."""
    if family.paged:
        return (zone * family.capacity + offset) * family.unit
    return (sum(z.size for z in family.zone_table[:zone]) + offset) * family.unit


def place_options(family, zone):
    if family.paged:
        return ["--page", str(zone)]
    return ["--zone", str(zone)] if family.zones else []


def code_options(family):
    """The tool's options that present the code before a write."""
    if not family.code:
        return []
    return ["--code", default_code(family)]


@pytest.fixture
def saved_image(vreader, tmp_path):
    """insert(name) puts a fresh card with an image file in the slot; image() saves and reads it."""
    path = tmp_path / "card.bin"

    class Image:
        @staticmethod
        def insert(name):
            if path.exists():
                path.unlink()
            vreader.insert(f"{name}:{path}")

        @staticmethod
        def image():
            vreader.command("save")
            return path.read_bytes()

    return Image


@pytest.mark.parametrize("family", cards.FAMILIES, ids=lambda f: f.name)
def test_every_family_through_the_tool_and_python(vreader, saved_image, family):
    saved_image.insert(family.name)
    zone, offset = WRITABLE.get(family.name, (0, 5))
    place = place_options(family, zone)
    size = UNITS * family.unit
    tool_data = bytes(range(0x11, 0x11 + size))
    python_data = bytes(range(0xA1, 0xA1 + size))

    # the tool: a write (with the code presented first where there is one), read back, and the card's image
    quillet_tool("write", "--family", family.name.upper(), *place, "--offset", str(offset),
                 "--data", tool_data.hex(), *code_options(family))
    image = saved_image.image()
    at = image_position(family, zone, offset)
    assert image[at:at + size] == tool_data
    read = quillet_tool("read", "--family", family.alias or family.name, *place, "--offset", str(offset),
                        "--length", str(UNITS), "--hex")
    assert bytes.fromhex(read.strip()) == tool_data

    # Python: the next units (on a flash card the next page's first), and a read over both writes
    after_zone, after = divmod(zone * family.capacity + offset + UNITS, family.capacity) if family.paged \
        else (zone, offset + UNITS)
    with quillet.Reader.open(0, 115200) as reader:
        card = reader.card(family.name)
        if family.code:
            card.present_code(default_code(family))
        card.write(after, python_data, zone=after_zone if family.zones else None)
        both = card.read(offset, 2 * UNITS, zone=zone if family.zones else None)
    image = saved_image.image()
    assert image[at:at + 2 * size] == tool_data + python_data == both

    # a plain memory card reads as its image from end to end (the image may carry more: protection bits)
    if not (family.code or family.zones):
        whole = quillet_tool("read", "--family", family.name, "--hex")
        assert bytes.fromhex(whole.strip()) == image[:family.units * family.unit]
    # the catalogue's size is the library's: the last unit reads, one more is refused
    if not family.zones:
        last = ["read", "--family", family.name, "--offset", str(family.units - 1), "--hex"]
        assert len(bytes.fromhex(quillet_tool(*last, "--length", "1").strip())) == family.unit
        beyond = subprocess.run([CLI, *last, "--length", "2", *AT_RATE], capture_output=True, text=True, timeout=120)
        assert beyond.returncode == 1 and "QL_BAD_" in beyond.stderr, beyond.stderr


@pytest.mark.parametrize("family", [f for f in cards.FAMILIES if f.code], ids=lambda f: f.name)
def test_codes_and_counters_through_the_tool_and_python(vreader, family):
    vreader.insert(family.name)
    assert quillet_tool("present-code", "--family", family.name, "--code", default_code(family)) == "code accepted\n"
    shown = quillet_tool("counter", "--family", family.name)
    value = int(re.search(r": (0x[0-9A-F]+|\d+)$", shown.strip()).group(1), 0)
    assert value == family.counter_max  # the right code fills the counter up
    with quillet.Reader.open(0, 115200) as reader:
        card = reader.card(family.name)
        card.present_code(default_code(family))
        assert card.attempts_left() == value
    if family.erase:
        zone = erase_zone(family)
        zone_option = ["--zone", str(zone)] if zone is not None else []
        erase_code = default_code(family, erase=True)
        assert quillet_tool("present-code", "--family", family.name, "--erase", *zone_option,
                            "--code", erase_code) == "code accepted\n"
        tool_count = int(quillet_tool("counter", "--family", family.name, "--erase", *zone_option).split(":")[1])
        with quillet.Reader.open(0, 115200) as reader:
            card = reader.card(family.name)
            card.present_code(erase_code, zone=zone, erase=True)
            assert card.attempts_left(zone=zone, erase=True) in (tool_count, tool_count - 1)


# What detect can tell: cards with the identification bytes of a family chk_card tries are named
# as that family; an SLE4418 carries nothing to identify it by.
SAME_CHECK = {"sle4432": "sle4442", "at88sc1604c": "at88sc1604b"}


@pytest.mark.parametrize("name", [f.name for f in cards.FAMILIES] + ["cpu"])
def test_detect_names_every_family(vreader, name):
    vreader.insert(name)
    if name == "sle4418":
        found = subprocess.run([CLI, "detect", *AT_RATE], capture_output=True, text=True, timeout=120)
        assert (found.returncode, found.stdout) == (1, "")
    else:
        assert quillet_tool("detect") == SAME_CHECK.get(name, name) + "\n"


def test_the_virtual_readers_cards_are_the_catalogues():
    listed = subprocess.run([VREADER, "--help"], capture_output=True, text=True, check=True).stdout
    names = re.findall(r"^  (\S+)  ", listed.split("card families:", 1)[1], re.MULTILINE)
    assert sorted(set(names) - {"blank", "cpu"}) == sorted(f.name for f in cards.FAMILIES)


@pytest.mark.parametrize("family", cards.FAMILIES, ids=lambda f: f.name)
def test_the_tool_refuses_what_a_family_does_not_have(family):
    """Exit status 2 before any reader is opened, from the catalogue's shapes and code kinds."""
    def status(*args):
        return subprocess.run([CLI, *args], capture_output=True, text=True, timeout=30).returncode

    wrong_place = "--zone" if family.paged or not family.zones else "--page"
    assert status("read", "--family", family.name, wrong_place, "0") == 2
    assert status("read", "--family", family.name, "--zone" if family.zones else "--page", str(family.zones)) == 2
    if not family.code:
        assert status("present-code", "--family", family.name, "--code", "FF") == 2
    elif not family.erase:
        assert status("present-code", "--family", family.name, "--erase", "--code", "FF") == 2
    else:
        assert status("present-code", "--family", family.name, "--code", "FF" * (family.code.length + 1)) == 2
