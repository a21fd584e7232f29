"""A speech service of a test's own, for the scripts beside the suite that start speech-dispatcher.

A private working directory, runtime directory (mode 0700), HOME and XDG_CONFIG_HOME; a PulseAudio
with one null sink whose monitor is recorded, or no sound at all; and a speech-dispatcher with
espeak-ng's Norwegian voice on a socket of its own. Every client started with `env` uses these and
nothing of the machine's own desktop.

    sys.dont_write_bytecode = True
    sys.path.insert(0, os.path.join(os.path.dirname(os.path.realpath(__file__)), "..", "support"))
    from speechservice import SpeechService, fail, wait_for
"""

import os, shutil, struct, subprocess, sys, tempfile, threading, time

RATE = 22050
AUDIBLE = 1000  # about -30 dBFS; the null sink's silence is exact zeros
SOUND_TOOLS = ("pulseaudio", "pactl", "parec", "sox")
SPEECH_TOOLS = ("speech-dispatcher", "spd-say", "espeak-ng")


def fail(message):
    print(f"FAIL: {message}", file=sys.stderr)
    sys.exit(1)


def skip(message):
    """Ends the script with status 2, which the suite counts as skipped."""
    print(f"SKIP: {message}")
    sys.exit(2)


def wait_for(seconds, check):
    until = time.monotonic() + seconds
    while time.monotonic() < until:
        if check():
            return True
        time.sleep(0.05)
    return False


class Recorder:
    """Reads the sink's monitor as it comes; a sample's time is its place in the stream after the
    start that the least delayed chunk gives."""

    def __init__(self, env):
        self.samples, self.start, self.lock = bytearray(), None, threading.Lock()
        self.process = subprocess.Popen(["parec", "-d", "partivakt.monitor", "--format=s16le", f"--rate={RATE}",
                                         "--channels=1", "--raw", "--latency-msec=10"], stdout=subprocess.PIPE, env=env)
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        while chunk := os.read(self.process.stdout.fileno(), 4096):
            now = time.monotonic()
            with self.lock:
                self.samples += chunk
                start = now - len(self.samples) / 2 / RATE
                self.start = start if self.start is None else min(self.start, start)

    def index(self, moment):
        return max(0, int((moment - self.start) * RATE))

    def values(self, begin, end=None):
        with self.lock:
            data = bytes(self.samples[begin * 2:None if end is None else end * 2])
        return struct.unpack(f"<{len(data) // 2}h", data[:len(data) // 2 * 2])

    def first_audible(self, after, seconds):
        begin, found = self.index(after), []
        def look():
            hit = next((i for i, v in enumerate(self.values(begin)) if abs(v) >= AUDIBLE), None)
            return hit is not None and not found.append(self.start + (begin + hit) / RATE)
        wait_for(seconds, look)
        return found[0] if found else None

    def silence_after(self, after, quiet=0.5):
        """Waits for quiet seconds without an audible sample; returns the last audible one's time."""
        begin, last = self.index(after), [after]
        def look():
            values = self.values(begin)
            hit = next((i for i in range(len(values) - 1, -1, -1) if abs(values[i]) >= AUDIBLE), None)
            if hit is not None:
                last[0] = self.start + (begin + hit) / RATE
            return self.start + (begin + len(values)) / RATE - last[0] >= quiet
        if not wait_for(15, look):
            fail("the speech never stopped")
        return last[0]


class SpeechService:
    """sound: a sound server whose output is recorded (self.recorder); without it speech-dispatcher
    plays into ALSA's null device. speechd_conf: lines added to speechd.conf (a log level, a
    protocol log), where {work} stands for the service's working directory. speech: whether
    speech-dispatcher runs at all. Skips (status 2) with the tools that are missing."""

    def __init__(self, prefix, speech=True, sound=True, speechd_conf=""):
        needed = (SPEECH_TOOLS if speech else ()) + (SOUND_TOOLS if speech and sound else ())
        missing = [t for t in needed if not shutil.which(t)]
        if missing:
            skip(f"the speech service cannot run here: {' '.join(missing)} missing (scripts/install-deps)")
        self.work = tempfile.mkdtemp(prefix=prefix + ".")
        self.run = os.path.join(self.work, "run")
        os.mkdir(self.run, 0o700)
        self.socket = f"{self.run}/speechd.sock"
        self.env = dict(os.environ, HOME=self.work, XDG_RUNTIME_DIR=self.run,
                        XDG_CONFIG_HOME=os.path.join(self.work, "config"), PULSE_SERVER=f"unix:{self.run}/pulse.sock",
                        SPEECHD_ADDRESS=f"unix_socket:{self.socket}")
        self.children, self.recorder, self.speechd = [], None, None
        if not speech:
            return
        if sound:
            # A sound server of the test's own with only a null sink; as root it warns and runs.
            self.spawn(["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--disable-shm=yes",
                        "--use-pid-file=no", "-L", f"module-null-sink sink_name=partivakt rate={RATE} channels=1",
                        "-L", f"module-native-protocol-unix socket={self.run}/pulse.sock auth-anonymous=1"], "pulse")
            if not wait_for(10, lambda: subprocess.run(["pactl", "info"], env=self.env, capture_output=True).returncode == 0):
                fail("pulseaudio did not start: " + self.log("pulse"))
            output = 'AudioOutputMethod "pulse"'
        else:
            output = 'AudioOutputMethod "alsa"\nAudioALSADevice "null"'
        shutil.copytree("/etc/speech-dispatcher", os.path.join(self.work, "speechd"))
        with open(os.path.join(self.work, "speechd", "speechd.conf"), "a") as conf:
            conf.write(f'\n{output}\nDefaultModule espeak-ng\nDefaultLanguage "nb"\nLogDir "{self.work}"\n'
                       f'{speechd_conf.replace("{work}", self.work)}\n')
        self.start_speechd()
        if sound:
            self.recorder = Recorder(self.env)
            if not wait_for(5, lambda: self.recorder.start is not None):
                fail("parec records nothing from the null sink")

    def spawn(self, args, name, **options):
        """Starts a program in the private environment (or options' env and cwd), its output in the
        log `name`."""
        options = dict(dict(env=self.env, cwd=self.work), **options)
        process = subprocess.Popen(args, stdout=open(os.path.join(self.work, name), "wb"), stderr=subprocess.STDOUT,
                                   **options)
        self.children.append(process)
        return process

    def log(self, name):
        with open(os.path.join(self.work, name), errors="replace") as log:
            return log.read()

    def start_speechd(self):
        self.speechd = self.spawn(["speech-dispatcher", "-s", "-t", "0", "-C", os.path.join(self.work, "speechd"),
                                   "-c", "unix_socket", "-S", self.socket, "-P", f"{self.run}/speechd.pid"],
                                  "speechd.log")
        # Ready once it answers a client of its own (its output modules start after the socket).
        if not wait_for(20, lambda: subprocess.run(["spd-say", "-O"], env=self.env, capture_output=True).returncode == 0):
            fail("speech-dispatcher did not start: " + self.log("speechd.log"))

    def stop_speechd(self):
        """The service goes away as on a crash or a logout: its socket disappears with it."""
        self.speechd.terminate()
        self.speechd.wait(10)
        wait_for(5, lambda: not os.path.exists(self.socket))

    def close(self):
        if self.recorder:
            self.recorder.process.terminate()
        for process in reversed(self.children):
            process.terminate()
            try:
                process.wait(5)
            except subprocess.TimeoutExpired:
                process.kill()
        shutil.rmtree(self.work, ignore_errors=True)
