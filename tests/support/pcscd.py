"""pcscd with a reader.conf of the caller's, in a user and mount namespace of its own.

pcscd 1.9.9 (Debian 12) keeps its socket at the fixed /run/pcscd/pcscd.comm and does not read
PCSCLITE_CSOCK_NAME (the client library does). So pcscd runs under unshare -rm with a temporary
directory mounted over /run: its socket lands in that directory, which the client library is
pointed at through PCSCLITE_CSOCK_NAME. No root, and the machine's own pcscd is untouched.
Used by the PC/SC driver's test and its round-trip benchmark.
"""
import os
import shutil
import subprocess
import tempfile
import time

from stopping import stop_process

START_LIMIT_S = 15


class Pcscd:
    def __init__(self, reader_conf):
        self.directory = tempfile.mkdtemp(prefix="quillet-pcscd-")
        run = os.path.join(self.directory, "run")
        os.mkdir(run)
        config = os.path.join(self.directory, "reader.conf")
        with open(config, "w") as f:
            f.write(reader_conf)
        self.log = open(os.path.join(self.directory, "pcscd.log"), "w+")
        start = f'mount --bind "{run}" /run && exec pcscd --foreground --config "{config}"'
        environment = dict(os.environ)
        if os.environ.get("QUILLET_PCSCD_PRELOAD"):  # a sanitized driver in a pcscd that is not
            environment.update(LD_PRELOAD=os.environ["QUILLET_PCSCD_PRELOAD"], ASAN_OPTIONS="detect_leaks=0")
        self.process = subprocess.Popen(["unshare", "-rm", "sh", "-c", start], stdout=self.log,
                                        stderr=subprocess.STDOUT, env=environment)
        self.socket = os.path.join(run, "pcscd", "pcscd.comm")
        deadline = time.monotonic() + START_LIMIT_S
        while not os.path.exists(self.socket) and self.process.poll() is None and time.monotonic() < deadline:
            time.sleep(0.05)

    def output(self):
        self.log.seek(0)
        return self.log.read()

    def stop(self):
        stop_process(self.process)
        self.log.close()
        shutil.rmtree(self.directory, ignore_errors=True)
