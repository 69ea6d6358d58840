"""The command-line tool end to end against the virtual reader: exit statuses, output, files."""
import os
import pty
import re
import subprocess

import pytest

from quillet_cli import AT_RATE, CLI, quillet


SUBCOMMANDS = ["info", "detect", "read", "write", "present-code", "change-code", "counter", "apdu", "run", "beep",
               "watch"]


def test_help_and_usage_errors():
    overview = quillet("--help")
    assert overview.returncode == 0
    assert all(re.search(rf"^  {name} ", overview.stdout, re.M) for name in SUBCOMMANDS)
    for name in SUBCOMMANDS:
        shown = quillet(name, "--help")
        assert shown.returncode == 0 and shown.stdout.startswith(f"usage: quillet {name}") and "--port" in shown.stdout
    for wrong in (["frobnicate"], ["read", "--bogus"], ["read", "--family"], ["read", "--family", "nonesuch"],
                  ["beep", "--units", "300"], ["write", "--family", "sle4442", "--data", "ABC"]):
        result = quillet(*wrong)
        assert result.returncode == 2 and result.stderr.startswith("quillet "), wrong
    assert quillet().returncode == 2


def test_info_and_beep(vreader):
    vreader.insert("sle4442")
    info = quillet("info", *AT_RATE)
    assert info.returncode == 0, info.stderr
    fields = dict(re.split(r"\s{2,}", line, maxsplit=1) for line in info.stdout.splitlines())
    assert fields["library"] == "KOV###DRVSFT-V9.40A"
    assert fields["port"] == "0 at 115200 baud"
    assert re.fullmatch(r"[0-9A-F]{32}", fields["serial"])
    assert fields["card"].startswith("present")
    assert quillet("beep", "--units", "12", *AT_RATE).returncode == 0
    assert 12 in vreader.beeps()


def test_info_with_an_empty_slot(vreader):
    vreader.command("remove")
    assert re.search(r"^card +none$", quillet("info", *AT_RATE).stdout, re.M)


def test_rate_search_and_device_option(vreader):
    env_free = {k: v for k, v in os.environ.items() if k != "QUILLET_COM1"}
    result = subprocess.run([CLI, "info", "--device", vreader.device], capture_output=True, text=True, env=env_free,
                            timeout=120)
    assert result.returncode == 0, result.stderr
    assert "0 at 115200 baud" in result.stdout


def test_failures_name_the_status(vreader, tmp_path):
    vreader.insert("sle4442")
    closed_port = quillet("info", "--port", "5", "--baud", "9600", "--device", str(tmp_path / "missing"))
    assert closed_port.returncode == 1
    assert f"cannot open {tmp_path / 'missing'}: No such file or directory" in closed_port.stderr
    past_end = quillet("read", "--family", "sle4442", "--offset", "250", "--length", "10", *AT_RATE)
    assert past_end.returncode == 1 and "srd_4442: QL_BAD_LENGTH (-143)" in past_end.stderr
    assert past_end.stdout == ""


def test_read_dump_hex_and_file(vreader, tmp_path):
    vreader.insert("24c02")
    image = vreader.contents()
    dump = quillet("read", "--family", "24c02", "--offset", "16", "--length", "20", *AT_RATE)
    assert dump.returncode == 0, dump.stderr
    lines = dump.stdout.splitlines()
    assert len(lines) == 2 and lines[0].startswith("000010  ") and lines[1].startswith("000020  ")
    assert bytes.fromhex("".join(line[8:56] for line in lines)) == image[16:36]
    hex_line = quillet("read", "--family", "24c02", "--length", "4", "--hex", *AT_RATE)
    assert hex_line.stdout == image[:4].hex().upper() + "\n"
    target = tmp_path / "card.bin"
    assert quillet("read", "--family", "24c02", "--output", str(target), *AT_RATE).returncode == 0
    assert target.read_bytes() == image
    assert dump.stderr == "" and hex_line.stderr == ""   # no progress when stderr is not a terminal


def test_write_from_hex_and_file(vreader, tmp_path):
    vreader.insert("93c46a")
    assert quillet("write", "--family", "93c46a", "--offset", "3", "--data", "01:02 0304", *AT_RATE).returncode == 0
    source = tmp_path / "data.bin"
    source.write_bytes(bytes(range(100, 108)))
    assert quillet("write", "--family", "93c46a", "--offset", "10", "--input", str(source), *AT_RATE).returncode == 0
    image = vreader.contents()
    assert image[6:10] == b"\x01\x02\x03\x04" and image[20:28] == bytes(range(100, 108))
    odd = quillet("write", "--family", "93c46a", "--data", "AA", *AT_RATE)
    assert odd.returncode == 2


def test_codes_and_counter(sle4442):
    def counter():
        shown = quillet("counter", "--family", "sle4442", *AT_RATE)
        assert shown.returncode == 0, shown.stderr
        return shown.stdout.strip()

    wrong = quillet("present-code", "--family", "sle4442", "--code", "010203", *AT_RATE)
    assert wrong.returncode == 1 and "csc_4442: wrong code, 2 attempts left" in wrong.stderr
    assert counter() == "attempts left: 2"
    locked_write = quillet("write", "--family", "sle4442", "--offset", "64", "--data", "AB", *AT_RATE)
    assert locked_write.returncode == 1 and "swr_4442: present the code first (--code)" in locked_write.stderr
    assert quillet("change-code", "--family", "sle4442", "--old", "FFFFFF", "--code", "a1b2c3", *AT_RATE).returncode == 0
    assert counter() == "attempts left: 3"
    assert quillet("present-code", "--family", "sle4442", "--code", "A1B2C3", *AT_RATE).stdout == "code accepted\n"
    assert quillet("write", "--family", "sle4442", "--offset", "64", "--data", "AB", "--code", "A1B2C3",
                   *AT_RATE).returncode == 0
    assert sle4442.contents()[64] == 0xAB
    assert quillet("present-code", "--family", "24c02", "--code", "00", *AT_RATE).returncode == 2


@pytest.mark.parametrize("family", ["sle4442", "24c02", "at88sc153", "93c57", "sle4404"])
def test_detect(vreader, family):
    vreader.insert(family)
    found = quillet("detect", *AT_RATE)
    assert (found.returncode, found.stdout) == (0, family + "\n"), found.stderr


def test_detect_without_a_known_card(vreader):
    vreader.insert("blank")
    found = quillet("detect", *AT_RATE)
    assert found.returncode == 1 and found.stdout == "" and "no card family" in found.stderr


def test_progress_bar_on_a_terminal(vreader):
    vreader.insert("24c64")
    controller, terminal = pty.openpty()
    try:
        result = subprocess.run([CLI, "read", "--family", "24c64", "--hex", *AT_RATE], stdout=subprocess.PIPE,
                                stderr=terminal, text=True, timeout=120)
        os.close(terminal)
        terminal = -1
        shown = b""
        while True:
            try:
                chunk = os.read(controller, 65536)
            except OSError:
                break
            if not chunk:
                break
            shown += chunk
    finally:
        if terminal >= 0:
            os.close(terminal)
        os.close(controller)
    assert result.returncode == 0
    assert len(result.stdout.strip()) == 2 * 8192
    assert b"read  [" in shown and b"100%  8192/8192 bytes" in shown


def test_apdu_select_and_read_binary(vreader):
    vreader.insert("cpu")
    result = quillet("apdu", "00A4000C022F02", "00 B0 00 00 0A", "00A4000C021234", *AT_RATE)
    assert result.returncode == 0, result.stderr
    assert result.stdout.splitlines() == [
        "ATR 3B95118131FE45804351565219",
        "> 00A4000C022F02", "< ", "SW 9000 success",
        "> 00B000000A", "< 51564300000000000001", "SW 9000 success",
        "> 00A4000C021234", "< ", "SW 6A82 file or application not found",
    ]
    # SELECT with Le: the card answers 61xx and the library fetches the rest with GET RESPONSE,
    # which takes a sequence number; the next APDU still reaches the card.
    followed = quillet("apdu", "00A4040004F051565200", "00A4020C020101", "00B0000010", *AT_RATE)
    assert followed.returncode == 0, followed.stderr
    assert followed.stdout.splitlines()[1:] == [
        "> 00A4040004F051565200", "< 6F068404F0515652", "SW 9000 success",
        "> 00A4020C020101", "< ", "SW 9000 success",
        "> 00B0000010", "< " + b"QUILLET HOLDER 1".hex().upper(), "SW 9000 success",
    ]
    short = quillet("apdu", "00A4", *AT_RATE)
    assert short.returncode == 2 and "4 to 246 bytes" in short.stderr


def test_run_an_instruction_file(vreader, tmp_path):
    vreader.insert("24c02")
    (tmp_path / "job.ins").write_text('swr_24c02(dev, 8, 3) { "abc" }\nsrd_24c02(dev, 8, 3, "back.bin") { }\n')
    result = subprocess.run([CLI, "run", "job.ins", *AT_RATE], capture_output=True, text=True, timeout=120,
                            cwd=tmp_path)
    assert result.returncode == 0, result.stderr
    assert (tmp_path / "back.bin").read_bytes() == b"abc" and vreader.contents()[8:11] == b"abc"
    (tmp_path / "bad.ins").write_text('swr_24c02(dev, 0, 1) { 1 }\nsrd_24c02(dev, 300, 1, "x.bin") { }\n')
    failed = subprocess.run([CLI, "run", "bad.ins", *AT_RATE], capture_output=True, text=True, timeout=120,
                            cwd=tmp_path)
    assert failed.returncode == 1
    assert "bad.ins:2: instruction 1 (from 0) failed: srd_24c02: QL_BAD_ADDRESS (-144)" in failed.stderr
    assert result.stdout == "ran 2 instructions of job.ins\n"
    unparsed = quillet("run", str(tmp_path / "missing.ins"), *AT_RATE)
    assert unparsed.returncode == 1 and "cannot be read" in unparsed.stderr
