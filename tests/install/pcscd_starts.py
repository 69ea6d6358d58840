"""pcscd_starts.py CONFIG: exit 0 when pcscd, in a namespace of its own, starts and keeps running
with the reader configuration CONFIG; 1 when it stops; 77 when pcscd cannot run here at all."""
import os
import shutil
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from pcscd import Pcscd  # noqa: E402

if not shutil.which("pcscd") or not shutil.which("unshare"):
    sys.exit(77)
with open(sys.argv[1]) as f:
    daemon = Pcscd(f.read())
time.sleep(1)  # a driver that cannot be loaded stops pcscd right after its socket appears
running = os.path.exists(daemon.socket) and daemon.process.poll() is None
if not running:
    print(daemon.output()[-400:], file=sys.stderr)
daemon.stop()
sys.exit(0 if running else 1)
