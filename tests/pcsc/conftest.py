"""The pcscd of the PC/SC driver's test (tests/support/pcscd.py), with the driver and a reader.conf
naming the virtual reader with one SAM slot (a processor card in SAM slot 1)."""
import os
import shutil

import pytest

from pcscd import Pcscd

pytest.register_assert_rewrite("family_sweep", "helpers")


@pytest.fixture(scope="module")
def pcscd(vreader):
    if not shutil.which("pcscd") or not shutil.which("unshare"):
        pytest.skip("pcscd cannot start: pcscd or unshare missing (Debian: pcscd, util-linux)")
    pytest.importorskip("smartcard", reason="pyscard missing (Debian: python3-pyscard)")
    vreader.command("sam 1 cpu")
    driver = os.environ["QUILLET_IFD_DRIVER"]
    daemon = Pcscd(f'FRIENDLYNAME "Quillet"\nDEVICENAME {vreader.device}:115200:1\nLIBPATH {driver}\n')
    if not os.path.exists(daemon.socket):
        output = daemon.output()
        daemon.stop()
        pytest.skip(f"pcscd cannot start here (no user and mount namespace?): {output[-400:]!r}")
    os.environ["PCSCLITE_CSOCK_NAME"] = daemon.socket
    yield daemon
    os.environ.pop("PCSCLITE_CSOCK_NAME", None)
    daemon.stop()
