"""Orca, the screen reader a blind player runs, in a desktop session of a test's own.

Beside the speech service of tests/support/speechservice.py (whose PulseAudio null sink plays in
real time, so that two clients' sentences overlap as they would on a desktop): a session bus, the
accessibility bus, openbox and Orca, all on the X server of $DISPLAY and nothing of the machine's
own desktop. Who said what, and what became of it, is read from speech-dispatcher's protocol log.

    session = ScreenReaderSession("check-orca")   # skips (status 2) where Orca cannot run
    session.start_orca()
    app = session.spawn([...], "app.log", env=session.app_env())
    session.messages()                            # every message, with its client and its end
"""

import fcntl, os, re, shutil, subprocess, time

from speechservice import SpeechService, fail, skip, wait_for

TOOLS = ("orca", "openbox", "dbus-daemon", "dbus-send", "/usr/libexec/at-spi-bus-launcher")


class Message:
    """One message a client queued: its text (markup removed), when it was queued, began and ended,
    and how it ended ("END", "CANCELED", or None while it has not)."""

    def __init__(self, client, number, text, queued):
        self.client, self.number, self.text, self.queued = client, number, text, queued
        self.begin = self.end = self.outcome = None

    def __repr__(self):
        return f"{self.client}#{self.number} {self.text!r} {self.outcome}"


class ScreenReaderSession(SpeechService):
    def __init__(self, prefix):
        missing = [t for t in TOOLS if not shutil.which(t)]
        if missing:
            skip(f"Orca cannot run here: {' '.join(missing)} missing (scripts/install-deps)")
        if not os.environ.get("DISPLAY"):
            skip("no X server (run under xvfb-run)")
        # Orca refuses to start beside another Orca of the same user, on any display: one session at
        # a time for the user (other builds' test runs wait here), and none beside a foreign Orca.
        self.lock = open(f"/tmp/partivakt-orca-{os.getuid()}.lock", "w")
        if not wait_for(300, lambda: self._locked()):
            skip("another test run of this user has held Orca for 300 s")
        if not wait_for(120, lambda: not self.other_orcas()):
            skip(f"another Orca of this user runs (pids {' '.join(self.other_orcas())}) and did not end in 120 s")
        # Until the session bus is up, no client may start one of its own on the X server.
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = "disabled:"
        super().__init__(prefix, speechd_conf='LogLevel 5\nCustomLogFile "protocol" "{work}/protocol.log"')
        # A session bus and the accessibility bus of the test's own.
        bus = self.spawn(["dbus-daemon", "--session", "--nofork", "--print-address"], "dbus.log")
        if not wait_for(10, lambda: self.log("dbus.log").strip()):
            fail("the session bus did not start")
        self.env["DBUS_SESSION_BUS_ADDRESS"] = self.log("dbus.log").split()[0]
        self.spawn(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"], "at-spi.log")
        if not wait_for(10, lambda: subprocess.run(
                ["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
                 "org.a11y.Bus.GetAddress"], env=self.env, capture_output=True).returncode == 0):
            fail("the accessibility bus did not start: " + self.log("at-spi.log"))
        self.spawn(["openbox"], "openbox.log")
        self.debug = os.path.join(self.work, "orca.debug")

    def _locked(self):
        try:
            fcntl.flock(self.lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
            return True
        except OSError:
            return False

    @staticmethod
    def other_orcas():
        return subprocess.run(["pgrep", "-u", str(os.getuid()), "-x", "orca"], capture_output=True,
                              text=True).stdout.split()

    def start_orca(self):
        """Orca with its default settings (key echo on, the desktop layout); ready once it has
        spoken its first sentence."""
        # Not --replace, which would end every other Orca of the user. Its debug file says what it
        # did, for a failure.
        for attempt in range(3):
            self.orca = self.spawn(["orca", "--disable", "braille", "--debug-file", self.debug], "orca.log")
            if wait_for(60, lambda: self.orca_said() or self.orca.poll() is not None) and self.orca_said():
                return
            if self.orca.poll() is None:
                fail("Orca said nothing within 60 s: " + self.log("orca.log")[-1500:])
            # An Orca started meanwhile by someone else: it refused, and said so.
            wait_for(60, lambda: not self.other_orcas())
        skip("Orca would not start beside another Orca of this user: " + self.log("orca.log")[-300:])

    def app_env(self, **extra):
        """The environment of a Qt program that Orca reads."""
        return dict(self.env, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1",
                    **extra)

    def orca_said(self, since=0.0):
        """What Orca queued for speech since a moment (time.time()), in order. (Its debug file says
        the same, but Orca writes it in blocks.)"""
        return [m.text for m in self.messages()[0] if m.client == "Orca" and m.queued >= since]

    def protocol(self):
        """The protocol log as (time, connection, DATA or REPLY, text) entries. Read on from where
        the last call stopped: the log grows by thousands of lines a minute."""
        path = os.path.join(self.work, "protocol.log")
        if not hasattr(self, "_entries"):
            self._entries, self._offset = [], 0
        if not os.path.exists(path):
            return self._entries
        entries = self._entries
        with open(path, "rb") as log:
            log.seek(self._offset)
            data = log.read()
        # Up to the last whole line; an entry's later lines may still come.
        data = data[:data.rfind(b"\n") + 1]
        self._offset += len(data)
        # SSIP ends its lines with CR LF.
        for line in data.decode(errors="replace").replace("\r", "").splitlines(keepends=True):
            found = re.match(r"\[\w+ (\w+ +\d+ [\d:]+ \d+) : (\d+)\] speechd: +(\d+):(DATA|REPLY):\|(.*)", line)
            if found:
                moment = time.mktime(time.strptime(found[1], "%b %d %H:%M:%S %Y")) + int(found[2]) / 1e6
                entries.append([moment, int(found[3]), found[4], found[5]])
            elif entries and not line.startswith("|"):
                # The lines of a reply after its first; a lone "|" ends an entry.
                entries[-1][3] += "\n" + line.rstrip("\n")
        return entries

    def messages(self):
        """Every message queued, by client name ("partivakt", "Orca", ...), with its end; and the
        cancel commands each client sent, as (time, client, command)."""
        names, waiting, messages, cancels = {}, {}, {}, []
        for moment, connection, kind, text in self.protocol():
            text = text.rstrip("|").strip()
            if kind == "DATA":
                command = text.upper()
                if command.startswith("SET SELF CLIENT_NAME"):
                    names[connection] = text.split(":")[1] if ":" in text else text
                elif command.startswith("CANCEL"):
                    cancels.append((moment, names.get(connection), text))
                elif command == "SPEAK":
                    waiting[connection] = ""
                elif connection in waiting and text != ".":
                    waiting[connection] += text
            else:
                queued = re.match(r"225-(\d+)", text)
                if queued and connection in waiting:
                    spoken = re.sub(r"<[^>]*>", "", waiting.pop(connection)).strip()
                    number = int(queued[1])
                    messages[number] = Message(names.get(connection), number, spoken, moment)
                for code, number, state in re.findall(r"(70\d)-(\d+)\n70\d-\d+\n70\d (\w+)", text):
                    message = messages.get(int(number))
                    if not message:
                        continue
                    if state == "BEGIN":
                        message.begin = moment
                    elif state in ("END", "CANCELED", "STOPPED"):
                        message.end, message.outcome = moment, state
        return sorted(messages.values(), key=lambda m: m.number), cancels
