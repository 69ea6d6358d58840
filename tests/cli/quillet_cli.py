"""Running the command-line tool in the tests: the program, the rate option, one run."""
import os
import subprocess

CLI = os.environ["QUILLET_CLI"]
AT_RATE = ["--baud", "115200"]


def quillet(*args, stdin=None, env=None, timeout=120, text=True):
    return subprocess.run([CLI, *args], capture_output=True, text=text, timeout=timeout, input=stdin, env=env)
