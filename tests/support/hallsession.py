"""A tournament hall of a test's own, for the scripts beside the suite: the overview (with its
private Mosquitto or on a broker of the test's), real clocks joined to it through their preferences,
keys sent to them, the overview's table read through AT-SPI. Everything listens on 127.0.0.1 only.

    hall = HallSession("check-hall", overview, clock)      # skips (status 2) where a tool is missing
    hall.start_overview("klubb", "4242")
    clock = hall.start_clock(1, "klubb", "4242")
    hall.key(clock, "space")
    hall.table()                                           # the overview's rows, as AT-SPI reads them
"""

import os, shutil, signal, socket, subprocess, time

from speechservice import SpeechService, fail, skip, wait_for

TOOLS = ("mosquitto", "mosquitto_pub", "xdotool", "dbus-daemon")


def which(tool):
    return shutil.which(tool) or shutil.which(tool, path="/usr/sbin:/usr/bin:/sbin:/bin")


def free_port():
    probe = socket.socket()
    probe.bind(("127.0.0.1", 0))
    port = probe.getsockname()[1]
    probe.close()
    return port


class Clock:
    def __init__(self, process, board, workdir):
        self.process, self.board, self.workdir, self.window = process, board, workdir, None
        self.started = time.monotonic()


class HallSession(SpeechService):
    def __init__(self, prefix, overview, clock, accessibility=True):
        missing = [t for t in TOOLS if not which(t)]
        if missing:
            skip(f"the hall cannot run here: {' '.join(missing)} missing (scripts/install-deps)")
        if not os.environ.get("DISPLAY"):
            skip("no X server (run under xvfb-run)")
        super().__init__(prefix, speech=False)
        self.overview_program, self.clock_program = os.path.realpath(overview), os.path.realpath(clock)
        self.env["QT_QPA_PLATFORM"] = "xcb"
        self.env["QT_ACCESSIBILITY"] = "0"
        self.accessibility = accessibility
        if accessibility:
            try:
                import pyatspi  # noqa: F401
            except ImportError:
                skip("python3-pyatspi is not installed (scripts/install-deps)")
            bus = self.spawn(["dbus-daemon", "--session", "--nofork", "--print-address"], "dbus.log")
            if not wait_for(10, lambda: self.log("dbus.log").strip()):
                fail("the session bus did not start")
            self.env["DBUS_SESSION_BUS_ADDRESS"] = self.log("dbus.log").split()[0]
            os.environ["DBUS_SESSION_BUS_ADDRESS"] = self.env["DBUS_SESSION_BUS_ADDRESS"]
            self.spawn(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"], "at-spi.log")
        self.clocks = []

    # ---- the overview ----
    def start_overview(self, hall, code, *extra, name="overview"):
        env = dict(self.env)
        if self.accessibility:
            env.update(QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1")
        trace = os.path.join(self.work, f"{name}.trace")
        process = self.spawn([self.overview_program, "--sal", hall, "--kode", code, "--lytt", "127.0.0.1",
                              "--uten-avahi", "--spor", trace, *extra], f"{name}.log", env=env)
        ports = {}
        def started():
            for line in self.log(f"{name}.log").splitlines():
                if "megler port" in line:
                    ports["broker"] = int(line.rsplit(" ", 1)[1])
                if "tilskuersiden på port" in line:
                    ports["web"] = int(line.rsplit(" ", 1)[1])
            return len(ports) == 2 or process.poll() is not None
        if not wait_for(30, started) or process.poll() is not None:
            fail(f"the overview did not start: {self.log(name + '.log')[-1500:]}")
        process.broker_port, process.web_port, process.trace = ports["broker"], ports["web"], trace
        return process

    def trace(self, overview):
        """What the overview's model took: (board, seq or "gone", monotonic seconds when the table took
        it) in order."""
        if not os.path.exists(overview.trace):
            return []
        with open(overview.trace) as t:
            return [(int(b), s if s == "gone" else int(s), int(ns) / 1e9)
                    for b, s, ns, _ in (line.split() for line in t if line.count(" ") == 3 and line.endswith("\n"))]

    def broker_pid(self, overview):
        """The private Mosquitto the overview started."""
        for task in os.listdir(f"/proc/{overview.pid}/task"):
            with open(f"/proc/{overview.pid}/task/{task}/children") as c:
                for pid in c.read().split():
                    with open(f"/proc/{pid}/comm") as comm:
                        if comm.read().strip() == "mosquitto":
                            return int(pid)
        return None

    # ---- the clocks ----
    def start_clock(self, board, hall, code, port, control="3 min + 2 s", name=None):
        """A clock in a working directory and a preferences folder of its own, joined to the hall
        by its kept choice, as at the next start after "Turnering..."."""
        work = os.path.join(self.work, f"clock{board}")
        config = os.path.join(work, "config", "Partivakt")
        os.makedirs(config, exist_ok=True)
        os.makedirs(os.path.join(work, "run"), mode=0o700, exist_ok=True)
        with open(os.path.join(config, "Partivakt.conf"), "w") as conf:
            conf.write(f"[tidskontroll]\nvalgt={control}\n\n[turnering]\nbrett={board}\nkode={code}\nmaskin=127.0.0.1\n"
                       f"med=true\nport={port}\nsal={hall}\n")
        with open(os.path.join(work, "def.dur"), "w") as d:
            d.write(f"{name or 'Kari'}\r\nOla\r\n60\r\n")
        env = dict(self.env, XDG_CONFIG_HOME=os.path.join(work, "config"), XDG_RUNTIME_DIR=os.path.join(work, "run"))
        clock = Clock(self.spawn([self.clock_program], f"clock{board}.log", env=env, cwd=work), board, work)
        found = []
        def window():
            found[:] = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(clock.process.pid)],
                                      capture_output=True, text=True).stdout.split()
            return bool(found)
        if not wait_for(30, window):
            fail(f"clock {board} showed no window: {self.log(f'clock{board}.log')[-800:]}")
        clock.window = found[0]
        self.clocks.append(clock)
        return clock

    def key(self, clock, key="space"):
        subprocess.run(["xdotool", "windowactivate", "--sync", clock.window], capture_output=True, timeout=10)
        subprocess.run(["xdotool", "windowfocus", "--sync", clock.window, "key", key], capture_output=True, timeout=10)
        time.sleep(0.3)

    # ---- the overview's table, as a screen reader reads it ----
    def table(self, name="partivakt-hall"):
        """The rows of the overview's table through AT-SPI: a list of lists of cell texts."""
        import pyatspi
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is None or app.name != name:
                continue
            table = self._find(app, lambda n: n.getRoleName() == "table")
            if table is None:
                continue
            t = table.queryTable()
            return [[t.getAccessibleAt(r, c).name for c in range(t.nColumns)] for r in range(t.nRows)]
        return None

    def labels(self, name="partivakt-hall"):
        """Every label's text in the overview's window."""
        import pyatspi
        desktop = pyatspi.Registry.getDesktop(0)
        texts = []
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.name == name:
                self._find(app, lambda n: n.getRoleName() == "label" and texts.append(n.name) and False)
        return texts

    def _find(self, node, match, depth=0):
        try:
            if match(node):
                return node
            if depth > 12:
                return None
            for i in range(node.childCount):
                found = self._find(node.getChildAtIndex(i), match, depth + 1)
                if found is not None:
                    return found
        except Exception:
            pass
        return None

    def kill(self, process, sig=signal.SIGKILL):
        os.kill(process.pid if hasattr(process, "pid") else process, sig)
