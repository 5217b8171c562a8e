#!/usr/bin/env python3
"""kwartlin-sim.exe as a Polish user starts it, under Wine with the Polish code page:
check, run (with --expect) and shell, with --plugins-from and --module, on folders and
files whose names hold every Polish letter, small and capital (and, for check, letters
that Windows-1250 lacks), with TEMP in a user folder such as Michał's. Output goes to a
pipe (UTF-8) and to a console: a pseudo-terminal, which Wine makes the program's console
(with the OEM code page, 852), where Polish must show and may be typed. Last, the start
with no arguments in a console of its own that a double-click makes: the program says
what it is and waits for a key; with other programs on the console it does not wait.

Usage: windows_polish_test.py WINE_RUN KWARTLIN_SIM_EXE KWARTLIN_TPL WORK_FOLDER"""
import fcntl
import os
import pty
import select
import shutil
import signal
import struct
import subprocess
import sys
import termios
import time
import tty

WINE_RUN, SIM, MODULE, WORK = sys.argv[1:5]
failures = []

ROOT = os.path.join(os.path.abspath(WORK), "Zażółć gęślą jaźń ĄĆĘŁŃÓŚŹŻ")
TEMP = os.path.join(ROOT, "Użytkownicy", "Michał", "AppData", "Local", "Temp")
PLUGINS = os.path.join(ROOT, "Komunikator Tlen", "plugins")
SCRIPT = os.path.join(PLUGINS, "Kwartlin", "Kwartlin.dat")
FOREIGN = os.path.join(ROOT, "Жук Ωmega", "Kwartlin.dat")
MODULE_COPY = os.path.join(ROOT, "Wtyczka ŹRÓDŁO", "kwartlin ęą.tpl")
PROGRAM = os.path.join(ROOT, "Program Śląsk", "kwartlin-sim.exe")
TRANSCRIPT = os.path.join(ROOT, "rozmowa łódź.txt")
EXPECTED = os.path.join(ROOT, "oczekiwane ŻÓŁW.txt")
WRONG = os.path.join(ROOT, "błędne ćma.txt")

# Answers every message it receives with the message in capitals.
SCRIPT_TEXT = ":_start\r\nIF $_IN = 0\r\nEXIT\r\nMOV $t, $_MESSAGE\r\nSTRUP $t\r\nSEND $_ID, $t\r\n"
MESSAGE = "zażółć gęślą jaźń"
ANSWER = "ZAŻÓŁĆ GĘŚLĄ JAŹŃ".encode()


def check(ok, what, detail=b""):
    if not ok:
        failures.append(what)
        print("FAIL:", what, "\n", detail.decode("utf-8", "replace") if isinstance(detail, bytes) else detail,
              flush=True)


def win(path):
    """The name Wine gives a Unix path: drive Z: is the root."""
    return "Z:" + path.replace("/", "\\")


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def through_pipes(args, stdin=b""):
    r = subprocess.run([WINE_RUN] + args, input=stdin, capture_output=True, timeout=180)
    return r.returncode, r.stdout, r.stderr


def on_console(args, steps=(), pause=0.0):
    """Runs in a pseudo-terminal. Each step waits for its text in the output, then (after
    pause seconds, noting whether the program still runs) types its keys. Returns the
    exit code, the output as UTF-8 bytes, and for each step whether the program ran."""
    pid, fd = pty.fork()
    if pid == 0:
        tty.setraw(0)  # keys reach Wine's console as typed: Enter is CR
        fcntl.ioctl(0, termios.TIOCSWINSZ, struct.pack("HHHH", 50, 400, 0, 0))  # no line wraps
        os.execv(WINE_RUN, [WINE_RUN] + args)
    status = []

    def ended():
        if not status:
            done, st = os.waitpid(pid, os.WNOHANG)
            if done:
                status.append(st)
        return bool(status)

    out, at, running = b"", 0, []
    steps = list(steps)
    deadline = time.time() + 120
    while time.time() < deadline:
        if steps and steps[0][0] in out[at:]:
            expect, keys = steps.pop(0)
            at = out.index(expect, at) + len(expect)
            time.sleep(pause)
            running.append(not ended())
            os.write(fd, keys)
        if select.select([fd], [], [], 0.2)[0]:
            try:
                data = os.read(fd, 4096)
            except OSError:
                data = b""
            if not data:
                break
            out += data
    for _ in range(50):
        if ended():
            break
        time.sleep(0.2)
    if not ended():
        os.kill(pid, signal.SIGKILL)
        check(False, "%s ends" % " ".join(args[1:2]), out)
        status.append(os.waitpid(pid, 0)[1])
    os.close(fd)
    return os.waitstatus_to_exitcode(status[0]), out, running


def set_temp(value):
    """Both of the user's temporary folder variables, through one registry file."""
    path = os.path.join(os.path.abspath(WORK), "temp.reg")
    text = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Environment]\r\n"
    for name in ("TEMP", "TMP"):
        text += '"' + name + '"="' + value.replace("\\", "\\\\") + '"\r\n'
    write(path, ("\ufeff" + text).encode("utf-16-le"))
    subprocess.run([WINE_RUN, "reg", "import", win(path)], capture_output=True, timeout=180)


def current_temp():
    r = subprocess.run([WINE_RUN, "reg", "query", r"HKCU\Environment", "/v", "TEMP"], capture_output=True,
                       timeout=180)
    for line in r.stdout.decode("cp1250", "replace").splitlines():
        parts = line.split(None, 2)
        if len(parts) == 3 and parts[0] == "TEMP":
            return parts[2]
    return r"C:\users\%USERNAME%\Temp"


def temp_left():
    return os.listdir(TEMP) if os.path.isdir(TEMP) else []


def prepare():
    shutil.rmtree(os.path.abspath(WORK), ignore_errors=True)
    os.makedirs(TEMP)
    write(SCRIPT, SCRIPT_TEXT.encode("cp1250"))
    write(FOREIGN, SCRIPT_TEXT.encode("cp1250"))
    write(TRANSCRIPT, ("recv TLEN ania@tlen.pl %s\n" % MESSAGE).encode())
    os.makedirs(os.path.dirname(MODULE_COPY))
    shutil.copyfile(MODULE, MODULE_COPY)
    os.makedirs(os.path.dirname(PROGRAM))
    shutil.copyfile(SIM, PROGRAM)
    shutil.copyfile(MODULE, os.path.join(os.path.dirname(PROGRAM), "kwartlin.tpl"))


def check_files():
    code, out, err = through_pipes([SIM, "check", win(SCRIPT), win(FOREIGN)])
    check(code == 0 and win(SCRIPT).encode() in out and win(FOREIGN).encode() in out,
          "check, to a pipe: both files read, their names in UTF-8", out + err)
    code, out, _ = on_console([SIM, "check", win(SCRIPT)])
    check(code == 0 and win(SCRIPT).encode() in out, "check, on the console: the name shows as typed", out)
    missing = os.path.join(ROOT, "Brak ŚĆ")
    code, out, err = through_pipes([SIM, "run", "--plugins-from", win(missing), win(TRANSCRIPT)])
    check(code == 2 and win(missing).encode() in err, "run: a missing folder is named as given", out + err)


def check_run():
    args = [SIM, "run", "--color", "never", "--module", win(MODULE_COPY), "--plugins-from", win(PLUGINS)]
    code, out, err = through_pipes(args + ["--keep", win(TRANSCRIPT)])
    check(code == 0 and ANSWER in out and MESSAGE.encode() in out, "run: the script answers in Polish", out + err)
    kept = temp_left()
    check(len(kept) == 1 and win(TEMP).encode() in err, "run --keep: the plugins folder is in TEMP",
          err + repr(kept).encode())
    for name in kept:
        shutil.rmtree(os.path.join(TEMP, name))
    write(EXPECTED, out)
    write(WRONG, out.replace(ANSWER, "ZAŻÓŁC GĘŚLĄ JAŹŃ".encode()))
    code, out, err = through_pipes(args + ["--expect", win(EXPECTED), win(TRANSCRIPT)])
    check(code == 0, "run --expect: the same output passes", out + err)
    code, out, err = through_pipes(args + ["--expect", win(WRONG), win(TRANSCRIPT)])
    check(code == 1 and win(WRONG).encode() in err, "run --expect: one letter off fails", out + err)
    check(temp_left() == [], "run: the plugins folder is removed", repr(temp_left()).encode())


def check_shell():
    # The program in a folder of its own, the module beside it: no --module.
    shell = [PROGRAM, "shell", "--plugins-from", win(PLUGINS)]
    code, out, _ = on_console(shell, [(b"kwartlin>", ("recv TLEN ania@tlen.pl %s\r" % MESSAGE).encode()),
                                      (b"kwartlin>", b"quit\r")])
    check(code == 0 and ANSWER in out and MESSAGE.encode() in out[out.index(b"kwartlin>") + 9:],
          "shell, on the console: Polish typed and shown", out)
    code, out, err = through_pipes(shell + ["--color", "never"], ("recv GG 4012345 %s\n" % MESSAGE).encode())
    check(code == 0 and ANSWER in out, "shell, through pipes: UTF-8 in and out", out + err)
    check(temp_left() == [], "shell: the plugins folder is removed", repr(temp_left()).encode())


def check_double_click():
    code, out, running = on_console([PROGRAM], [(b"klawisz", b"x")], pause=1.5)
    check(running == [True], "double-click: the console waits for a key", out)
    check(code == 0 and "Naciśnij dowolny klawisz".encode() in out and b"kwartlin-sim check" in out,
          "double-click: what it is and how to start it, then a key ends it", out)
    code, out, err = through_pipes([PROGRAM])
    check(code == 2, "no arguments, not alone in a console: a usage error, no wait", out + err)


def main():
    prepare()
    old_temp = current_temp()
    set_temp(win(TEMP))
    try:
        check_files()
        check_run()
        check_shell()
        check_double_click()
    finally:
        set_temp(old_temp)
    if failures:
        print("%d failed: %s" % (len(failures), "; ".join(failures)))
        return 1
    shutil.rmtree(os.path.abspath(WORK), ignore_errors=True)
    print("all passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
