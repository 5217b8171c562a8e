#!/usr/bin/env python3
"""kwartlin-sim as a program: `help`, and the shell's ways to end. Through a pipe, the
end of the input, SIGINT and SIGTERM each unload the plugin and remove its folder; on a
pseudo-terminal, Tab completes commands and their words, Up recalls a line, Ctrl-C drops
the line being typed, and Ctrl-C twice or Ctrl-D leaves the same clean way.

Usage: shell_process_test.py KWARTLIN_SIM KWARTLIN_TPL"""
import os
import pty
import select
import signal
import subprocess
import sys
import tempfile
import time

SIM, MODULE = sys.argv[1], sys.argv[2]
SHELL = [SIM, "shell", "--module", MODULE, "--color", "never"]
failures = []


def check(ok, what, detail=b""):
    if not ok:
        failures.append(what)
        print("FAIL:", what, "\n", detail.decode("utf-8", "replace"), flush=True)


def fresh_env():
    tmp = tempfile.mkdtemp(prefix="kw-shell-")
    return tmp, dict(os.environ, TMPDIR=tmp, TERM="xterm", LC_ALL="C.UTF-8")


def check_folder_gone(tmp, what):
    left = os.listdir(tmp)
    check(left == [], what + ": the plugins folder is removed", repr(left).encode())
    for name in left:
        subprocess.run(["rm", "-rf", os.path.join(tmp, name)])
    os.rmdir(tmp)


def default_signals():
    # A test runner started in the background may hand its children SIGINT ignored.
    for sig in (signal.SIGINT, signal.SIGTERM):
        signal.signal(sig, signal.SIG_DFL)


def help_answers():
    for args, code, part in ((["help"], 0, b"Replays a transcript"), (["help", "run"], 0, b"--expect"),
                             (["help", "nothing"], 2, b"")):
        r = subprocess.run([SIM] + args, capture_output=True, timeout=30)
        check(r.returncode == code and part in r.stdout, "help " + " ".join(args[1:]), r.stdout + r.stderr)


def pipe_ends(how):
    tmp, env = fresh_env()
    p = subprocess.Popen(SHELL, stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env,
                         preexec_fn=default_signals)
    p.stdin.write(b"recv GG 1 ping\n")
    p.stdin.flush()
    seen = b""
    while b'> recv GG 1: "ping"' not in seen:  # the shell waits for the next line now
        line = p.stdout.readline()
        if not line:
            break
        seen += line
    # The input stays open for a signal: it alone must end the shell.
    if how == "end":
        p.stdin.close()
    else:
        p.send_signal(how)
    try:
        p.wait(timeout=30)
    except subprocess.TimeoutExpired:
        p.kill()
        p.wait()
    seen += p.stdout.read()
    err = p.stderr.read()
    check(p.returncode == 0, "pipe, %s: exit 0" % how, err)
    check(b"> unload" in seen, "pipe, %s: the plugin is unloaded" % how, seen)
    check_folder_gone(tmp, "pipe, %s" % how)


class Terminal:
    def __init__(self):
        self.tmp, env = fresh_env()
        self.pid, self.fd = pty.fork()
        if self.pid == 0:
            default_signals()
            os.execve(SIM, SHELL, env)
        self.seen = b""

    def send(self, data):
        os.write(self.fd, data)

    def read(self, timeout):
        r, _, _ = select.select([self.fd], [], [], timeout)
        if not r:
            return True
        try:
            data = os.read(self.fd, 4096)
        except OSError:
            return False
        self.seen += data
        return bool(data)

    def expect(self, text, count=1, what=None):
        end = time.time() + 20
        while self.seen.count(text) < count and time.time() < end:
            if not self.read(0.1):
                break
        check(self.seen.count(text) >= count, what or "terminal shows %r" % text, self.seen)

    def settle(self):
        # The prompt is out before the line editor takes the terminal, which drops what
        # was typed in between: a user would not type that fast.
        self.expect(b"kwartlin> ")
        time.sleep(0.5)

    def leave(self, what):
        # Waits for the shell to end, never forever.
        end = time.time() + 30
        status = None
        while time.time() < end:
            self.read(0.1)
            pid, st = os.waitpid(self.pid, os.WNOHANG)
            if pid == self.pid:
                status = st
                break
        if status is None:
            os.kill(self.pid, signal.SIGKILL)
            _, status = os.waitpid(self.pid, 0)
        check(os.WIFEXITED(status) and os.WEXITSTATUS(status) == 0, what + ": exit 0", self.seen)
        check(b"> unload" in self.seen, what + ": the plugin is unloaded", self.seen)
        check_folder_gone(self.tmp, what)


def terminal_session():
    t = Terminal()
    t.settle()
    t.send(b"rec\tGG 1 ping\r")
    t.expect(b'> recv GG 1: "ping"', what="Tab completes a command")
    t.send(b"status tlen a\t\r")
    t.expect(b"> status TLEN: 5 (away)", what="Tab completes a status name")
    t.send(b"\x1b[A\r")
    t.expect(b"> status TLEN: 5 (away)", 2, what="Up recalls the last line")
    t.send(b"abc")
    time.sleep(0.2)
    t.send(b"\x03")
    t.expect(b"(Ctrl-C again to leave)")
    t.send("echo hi żółć Ó\r".encode())
    t.expect("== hi żółć Ó".encode(), what="Ctrl-C dropped the typed text, Polish letters typed")
    t.send(b"\x03")
    t.expect(b"(Ctrl-C again to leave)", 2)
    t.send(b"\x03")
    t.leave("terminal, Ctrl-C twice")

    t = Terminal()
    t.settle()
    t.send(b"\x04")
    t.leave("terminal, Ctrl-D")


help_answers()
for how in ("end", signal.SIGINT, signal.SIGTERM):
    pipe_ends(how)
terminal_session()
print("%d failure(s)" % len(failures))
sys.exit(1 if failures else 0)
