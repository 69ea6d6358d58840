"""Stopping a helper process of the tests: a polite SIGTERM, and SIGKILL when it does not go."""
import subprocess

STOP_LIMIT_S = 5


def stop_process(process):
    if process.poll() is None:
        process.terminate()
        try:
            process.wait(timeout=STOP_LIMIT_S)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
