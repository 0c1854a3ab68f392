"""A private desktop for one test: an X display of its own (Xvfb) and, when asked, a D-Bus session
bus with the accessibility bus and its registry on it, as a Linux desktop has them. Nothing is
shared with the machine's own session, so tests run side by side and on machines without one.

Every process it starts carries a mark in its environment; on closing, the session ends the
processes it started and then any that still carry its mark (what the buses started on their
own), and, as the parent that orphans come back to, collects every one that ended, so no test
leaves anything behind.

Used as a module (see atspi_walk.py) or as a command that runs one program in the session:
    desktop_session.py [--accessibility] -- PROGRAM [ARGUMENTS...]
"""

import ctypes
import os
import select
import signal
import subprocess
import sys
import tempfile
import time
import uuid

MARK = "BRINDLECAST_DESKTOP_SESSION"

# A bus of our own that starts no services: whatever runs on it, the session started itself.
BUS_CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir={folder}</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
"""

LIBEXEC = "/usr/libexec"
PR_SET_CHILD_SUBREAPER = 36


def wait_for(what, condition, timeout, interval=0.1):
    """Polls `condition` until it returns something true and returns that; fails after `timeout`
    seconds. Exceptions count as not yet (a busy program answers late)."""
    deadline = time.monotonic() + timeout
    last_error = None
    while True:
        try:
            result = condition()
            if result:
                return result
        except Exception as error:  # noqa: BLE001 - anything may fail while things start
            last_error = error
        if time.monotonic() > deadline:
            raise TimeoutError(f"{what}: not within {timeout} s (last error: {last_error})")
        time.sleep(interval)


def read_line(fd, timeout):
    """The first line written to `fd`, waiting at most `timeout` seconds for it."""
    data = b""
    deadline = time.monotonic() + timeout
    while not data.endswith(b"\n"):
        left = deadline - time.monotonic()
        if left <= 0 or not select.select([fd], [], [], left)[0]:
            raise TimeoutError("no answer from a starting server")
        chunk = os.read(fd, 256)
        if not chunk:
            raise RuntimeError("a starting server ended before it answered")
        data += chunk
    return data.decode().strip()


class DesktopSession:
    def __init__(self, accessibility=False):
        self.accessibility = accessibility
        self.mark = uuid.uuid4().hex
        self.folder = tempfile.TemporaryDirectory(prefix="brindlecast-desktop-")
        self.env = dict(os.environ)
        self.env[MARK] = self.mark
        # Neither the machine's desktop nor its theme reaches in: Qt's own dialogs, every time.
        for name in ("DBUS_SESSION_BUS_ADDRESS", "AT_SPI_BUS_ADDRESS", "WAYLAND_DISPLAY",
                     "QT_QPA_PLATFORMTHEME", "XDG_CURRENT_DESKTOP", "DESKTOP_SESSION"):
            self.env.pop(name, None)
        runtime = os.path.join(self.folder.name, "runtime")
        os.mkdir(runtime, 0o700)
        self.env["XDG_RUNTIME_DIR"] = runtime
        self.processes = []
        # Orphans of the processes started here (the launcher's bus, when the launcher goes
        # first) come back to this process to be collected, not to a parent that never does.
        ctypes.CDLL(None, use_errno=True).prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0)

    def path(self, name):
        return os.path.join(self.folder.name, name)

    def start(self, command, **options):
        """Starts `command` in the session, in a process group of its own."""
        log = open(self.path("session.log"), "ab")
        options.setdefault("stdout", log)
        options.setdefault("stderr", log)
        options.setdefault("env", self.env)
        process = subprocess.Popen(command, start_new_session=True, **options)
        log.close()
        self.processes.append(process)
        return process

    def __enter__(self):
        try:
            self._start_display()
            if self.accessibility:
                self._start_buses()
        except BaseException:
            self.close()
            raise
        return self

    def __exit__(self, *exc):
        self.close()

    def _start_display(self):
        # Xvfb picks a free display itself and says which once it accepts clients.
        reader, writer = os.pipe()
        try:
            self.start(["Xvfb", "-displayfd", str(writer), "-screen", "0", "1280x1024x24",
                        "-nolisten", "tcp"], pass_fds=(writer,))
            os.close(writer)
            writer = None
            self.env["DISPLAY"] = ":" + read_line(reader, 30)
        finally:
            os.close(reader)
            if writer is not None:
                os.close(writer)

    def _start_buses(self):
        with open(self.path("bus.conf"), "w") as config:
            config.write(BUS_CONFIG.format(folder=self.folder.name))
        reader, writer = os.pipe()
        try:
            self.start(["dbus-daemon", "--nofork", "--config-file=" + self.path("bus.conf"),
                        "--print-address=" + str(writer)], pass_fds=(writer,))
            os.close(writer)
            writer = None
            self.env["DBUS_SESSION_BUS_ADDRESS"] = read_line(reader, 30)
        finally:
            os.close(reader)
            if writer is not None:
                os.close(writer)
        # The launcher owns org.a11y.Bus on the session bus and starts the accessibility bus;
        # the registry then joins that bus. Programs find both through the session bus.
        self.start([os.path.join(LIBEXEC, "at-spi-bus-launcher"), "--launch-immediately"])
        a11y_bus = wait_for("the accessibility bus", self._a11y_address, 30)
        self.start([os.path.join(LIBEXEC, "at-spi2-registryd")],
                   env={**self.env, "AT_SPI_BUS_ADDRESS": a11y_bus})
        wait_for("the accessibility registry", lambda: self._registry_up(a11y_bus), 30)

    def _dbus(self, *arguments):
        result = subprocess.run(["dbus-send", "--print-reply=literal", "--reply-timeout=2000",
                                 *arguments], env=self.env, capture_output=True, text=True,
                                timeout=10)
        return result.stdout.strip() if result.returncode == 0 else ""

    def _a11y_address(self):
        return self._dbus("--session", "--dest=org.a11y.Bus", "/org/a11y/bus",
                          "org.a11y.Bus.GetAddress")

    def _registry_up(self, a11y_bus):
        return self._dbus("--bus=" + a11y_bus, "--dest=org.freedesktop.DBus",
                          "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner",
                          "string:org.a11y.atspi.Registry") == "boolean true"

    def close(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                try:
                    os.killpg(process.pid, signal.SIGTERM)
                except ProcessLookupError:
                    pass
        for process in reversed(self.processes):
            try:
                process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                os.killpg(process.pid, signal.SIGKILL)
                process.wait()
        self._end_marked()
        self._collect_orphans()
        self.folder.cleanup()

    def _end_marked(self):
        """Ends what the buses started for us, found by the mark they inherited."""
        needle = f"{MARK}={self.mark}".encode()
        for _ in range(50):
            marked = []
            for entry in os.listdir("/proc"):
                if not entry.isdigit() or int(entry) == os.getpid():
                    continue
                try:
                    with open(f"/proc/{entry}/environ", "rb") as environ:
                        if needle in environ.read().split(b"\0"):
                            marked.append(int(entry))
                except OSError:
                    continue
            if not marked:
                return
            for pid in marked:
                try:
                    os.kill(pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
            time.sleep(0.1)

    @staticmethod
    def _collect_orphans():
        deadline = time.monotonic() + 5
        while time.monotonic() < deadline:
            try:
                pid, _ = os.waitpid(-1, os.WNOHANG)
            except ChildProcessError:
                return
            if pid == 0:
                time.sleep(0.05)


def main(argv):
    accessibility = argv[:1] == ["--accessibility"]
    command = argv[2:] if accessibility else argv[1:]
    if argv[1 if accessibility else 0:][:1] != ["--"] or not command:
        print(__doc__, file=sys.stderr)
        return 2
    with DesktopSession(accessibility=accessibility) as session:
        program = subprocess.Popen(command, env=session.env)
        try:
            return program.wait()
        finally:
            if program.poll() is None:
                program.kill()
                program.wait()


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
