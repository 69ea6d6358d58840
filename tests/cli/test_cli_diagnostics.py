"""The tool for scripts and for finding faults: --version, --trace, --json, what write and run say,
failures in the call's own terms, fast answers with no reader, the family check, and watch."""
import fcntl
import json
import os
import re
import signal
import subprocess
import time

import pytest

from quillet_cli import AT_RATE, CLI, quillet


def test_version_and_trace(vreader):
    version = quillet("--version")
    assert version.returncode == 0 and re.fullmatch(r"quillet \d+\.\d+ \(library KOV###DRVSFT-V9\.40A\)\n",
                                                    version.stdout)
    vreader.insert("24c02")
    image = vreader.contents()
    traced = quillet("read", "--family", "24c02", "--length", "2", "--hex", "--trace", *AT_RATE)
    assert traced.returncode == 0 and traced.stdout == image[:2].hex().upper() + "\n"
    lines = traced.stderr.splitlines()
    assert all(re.match(r"\d+\.\d{6} ", line) for line in lines), lines
    assert any(re.search(rf"{vreader.device} < 55 00 00 02 {image[0]:02X} {image[1]:02X} [0-9A-F]{{2}}$", line)
               for line in lines), lines
    assert any(re.search(r"call srd_24c02\(handle=1, offset=0, length=2, buffer=0x[0-9a-f]+\) = 0 ok$", line)
               for line in lines), lines
    assert quillet("read", "--family", "24c02", "--length", "2", "--hex", *AT_RATE).stderr == ""


def test_json_for_scripts(vreader):
    vreader.insert("sle4442")
    info = json.loads(quillet("info", "--json", *AT_RATE).stdout)
    assert (info["library"], info["baud"], info["device"], info["card_present"]) == (
        "KOV###DRVSFT-V9.40A", 115200, vreader.device, True)
    assert re.fullmatch(r"[0-9A-F]{32}", info["serial"])
    assert json.loads(quillet("detect", "--json", *AT_RATE).stdout) == {"family": "sle4442"}
    read = json.loads(quillet("read", "--family", "sle4442", "--offset", "1", "--length", "3", "--json",
                              *AT_RATE).stdout)
    assert read == {"family": "sle4442", "offset": 1, "length": 3, "data": vreader.contents()[1:4].hex().upper()}
    assert json.loads(quillet("counter", "--family", "sle4442", "--json", *AT_RATE).stdout) == {
        "family": "sle4442", "attempts_left": 3}
    vreader.insert("cpu")
    apdu = json.loads(quillet("apdu", "00B000000A", "00A4000C022F02", "00B0000003", "--json", *AT_RATE).stdout)
    assert apdu["atr"] == "3B95118131FE45804351565219"
    assert [(e["apdu"], e["data"], e["sw"], e["meaning"]) for e in apdu["exchanges"]] == [
        ("00B000000A", "", "6986", "command not allowed (no current file)"), ("00A4000C022F02", "", "9000", "success"),
        ("00B0000003", "515643", "9000", "success")]


def test_standard_input_and_output_and_what_write_says(vreader):
    vreader.insert("24c02")
    written = quillet("write", "--family", "24c02", "--offset", "32", "--input", "-", *AT_RATE, stdin=b"\x00\x01\xfe",
                      text=False)
    assert written.returncode == 0 and written.stdout == b"wrote 3 bytes to the 24c02 card at offset 32\n"
    assert not os.path.exists("-")
    out = quillet("read", "--family", "24c02", "--offset", "32", "--length", "3", "--output", "-", *AT_RATE,
                  text=False)
    assert out.returncode == 0 and out.stdout == b"\x00\x01\xfe"
    assert not os.path.exists("-")


def test_failures_say_what_happened(vreader, tmp_path):
    vreader.insert("sle4442")
    refused = quillet("write", "--family", "sle4442", "--offset", "64", "--data", "AB", *AT_RATE)
    assert refused.returncode == 1 and "swr_4442: present the code first (--code)" in refused.stderr
    wrong = quillet("write", "--family", "sle4442", "--offset", "64", "--data", "AB", "--code", "123456", *AT_RATE)
    assert wrong.returncode == 1 and "csc_4442: wrong code, 2 attempts left" in wrong.stderr
    memory_card = quillet("apdu", "00A4000C022F02", *AT_RATE)
    assert memory_card.returncode == 1 and "sam_slt_reset: no processor card answers" in memory_card.stderr
    vreader.command("remove")
    empty = quillet("read", "--family", "24c02", "--length", "4", "--no-check", *AT_RATE)
    assert empty.returncode == 1 and "no card in the slot" in empty.stderr, empty.stderr
    assert "no card in the slot" in quillet("detect", *AT_RATE).stderr
    device = tmp_path / "not-a-port"
    device.write_text("")
    device.chmod(0)
    closed = quillet("info", "--baud", "9600", "--device", str(device))
    reason = "Permission denied" if os.geteuid() != 0 else ""
    assert closed.returncode == 1 and f"cannot open {device}: {reason}" in closed.stderr, closed.stderr


def test_a_port_held_by_another_program(vreader):
    with open(vreader.device, "rb", buffering=0) as held:
        fcntl.flock(held, fcntl.LOCK_EX | fcntl.LOCK_NB)
        busy = quillet("info", *AT_RATE)
    assert busy.returncode == 1
    assert f"cannot open {vreader.device}: it is held by another program" in busy.stderr, busy.stderr
    assert quillet("info", *AT_RATE).returncode == 0


def test_the_family_is_checked_first(vreader):
    vreader.insert("sle4428")
    other = quillet("read", "--family", "sle4442", "--length", "4", *AT_RATE)
    assert other.returncode == 1 and other.stdout == ""
    assert "the card in the slot is not of the family sle4442" in other.stderr
    before = vreader.contents()
    refused_write = quillet("write", "--family", "sle4442", "--offset", "40", "--data", "55", *AT_RATE)
    assert refused_write.returncode == 1 and vreader.contents() == before
    assert quillet("read", "--family", "sle4442", "--length", "4", "--no-check", *AT_RATE).returncode == 0
    assert quillet("read", "--family", "sle4428", "--length", "4", *AT_RATE).returncode == 0


def test_run_names_the_failing_instruction(vreader, tmp_path):
    vreader.insert("sle4442")

    def run(text):
        (tmp_path / "job.ins").write_text(text)
        return subprocess.run([CLI, "run", "job.ins", *AT_RATE], capture_output=True, text=True, timeout=120,
                              cwd=tmp_path)

    for text in ("", "frob(dev)\n"):
        empty = run(text)
        assert empty.returncode == 1 and "job.ins: no instruction" in empty.stderr
    opened = run('srd_4442(dev, 0, 4, "a.bin") { }\nswr_4442(dev, 0, 1) {\n')
    assert opened.returncode == 1 and "job.ins:2: a brace is left open" in opened.stderr
    failed = run('srd_4442(dev, 0, 4, "a.bin") { }\n\n  swr_4442(dev, 64, 1) { 0x41 }\n')
    assert failed.returncode == 1
    assert ("job.ins:3: instruction 1 (from 0) failed: swr_4442: present the code first (--code)"
            in failed.stderr), failed.stderr
    assert "the instruction: swr_4442(dev, 64, 1) { 0x41 }" in failed.stderr


def test_a_silent_line_fails_fast(vreader):
    vreader.command("fault never")

    def timed(*args):
        start = time.monotonic()
        result = quillet(*args)
        return result, time.monotonic() - start

    try:
        for command in ("detect", "info"):
            at_rate, took = timed(command, "--baud", "9600")
            assert at_rate.returncode == 1 and took < 5, (command, took)
            assert f"no reader answers on {vreader.device} at 9600 baud" in at_rate.stderr
        searched, took = timed("detect")
        # The rate search: nine rates of a 2 s time-out each, and pauses of 0.5 s between them.
        assert searched.returncode == 1 and took < 9 * 2.5 + 10, took
        assert f"no reader answers on {vreader.device} at any rate" in searched.stderr
    finally:
        vreader.command("fault clear")


def test_default_rate_from_the_environment(vreader):
    env = dict(os.environ, QUILLET_BAUD="115200")
    start = time.monotonic()
    shown = quillet("info", env=env)
    assert shown.returncode == 0 and "0 at 115200 baud" in shown.stdout
    assert time.monotonic() - start < 5  # no rate search
    assert quillet("info", env=dict(os.environ, QUILLET_BAUD="fast")).returncode == 2


def test_watch_shows_the_slot_until_interrupted(vreader):
    vreader.insert("sle4442")
    watch = subprocess.Popen([CLI, "watch", "--interval", "100", *AT_RATE], stdout=subprocess.PIPE, text=True)
    seen = []

    def wait_for(text):
        deadline = time.monotonic() + 30
        while time.monotonic() < deadline:
            line = watch.stdout.readline()
            seen.append(line)
            if text in line:
                return
        pytest.fail(f"no '{text}' in {seen}")

    try:
        wait_for(f"reader present on {vreader.device} at 115200 baud")
        wait_for("card inserted: sle4442")
        vreader.command("remove")
        wait_for("card removed")
        vreader.insert("24c02")
        wait_for("card inserted: 24c02")
        watch.send_signal(signal.SIGINT)
        assert watch.wait(timeout=10) == 0
    finally:
        if watch.poll() is None:
            watch.kill()
            watch.wait()
        watch.stdout.close()
    assert all(re.match(r"\d\d:\d\d:\d\d  ", line) for line in seen if line), seen
