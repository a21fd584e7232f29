"""A page in a real browser (headless Chromium), read as it updates, for the scripts beside the suite.

Chromium's --dump-dom takes the page at its load, before a WebSocket has brought anything; this
drives the browser over its DevTools protocol instead, with a WebSocket client of a few lines (no
package beyond Python's own), and evaluates expressions in the page whenever asked:

    page = BrowserPage("http://127.0.0.1:8080/", workdir)   # skips (status 2) without chromium
    page.evaluate("document.title")
    page.close()
"""

import base64, json, os, shutil, socket, struct, subprocess, time, urllib.request

from speechservice import fail, skip, wait_for


class _WebSocket:
    def __init__(self, url):
        rest = url.split("://", 1)[1]
        hostport, path = rest.split("/", 1)
        host, port = hostport.rsplit(":", 1)
        self.sock = socket.create_connection((host, int(port)), timeout=10)
        key = base64.b64encode(os.urandom(16)).decode()
        self.sock.sendall((f"GET /{path} HTTP/1.1\r\nHost: {hostport}\r\nUpgrade: websocket\r\n"
                           f"Connection: Upgrade\r\nSec-WebSocket-Key: {key}\r\nSec-WebSocket-Version: 13\r\n\r\n").encode())
        head = b""
        while b"\r\n\r\n" not in head:
            chunk = self.sock.recv(1)
            if not chunk:
                fail("the browser closed its DevTools connection")
            head += chunk
        if b" 101 " not in head.split(b"\r\n")[0]:
            fail(f"the browser refused its DevTools connection: {head[:200]!r}")

    def send(self, text):
        data, mask = text.encode(), os.urandom(4)
        header = bytes([0x81])
        n = len(data)
        header += bytes([0x80 | n]) if n < 126 else bytes([0x80 | 126]) + struct.pack(">H", n) if n < 65536 \
            else bytes([0x80 | 127]) + struct.pack(">Q", n)
        self.sock.sendall(header + mask + bytes(b ^ mask[i % 4] for i, b in enumerate(data)))

    def _exact(self, n):
        data = b""
        while len(data) < n:
            chunk = self.sock.recv(n - len(data))
            if not chunk:
                fail("the browser closed its DevTools connection")
            data += chunk
        return data

    def receive(self):
        first, second = self._exact(2)
        n = second & 0x7F
        if n == 126:
            n = struct.unpack(">H", self._exact(2))[0]
        elif n == 127:
            n = struct.unpack(">Q", self._exact(8))[0]
        return self._exact(n).decode(errors="replace")


class BrowserPage:
    def __init__(self, url, workdir):
        browser = shutil.which("chromium") or shutil.which("chromium-browser")
        if not browser:
            skip("no chromium to read the spectators' page (scripts/install-deps --hall)")
        probe = socket.socket()
        probe.bind(("127.0.0.1", 0))
        port = probe.getsockname()[1]
        probe.close()
        self.log = open(os.path.join(workdir, "chromium.log"), "wb")
        self.process = subprocess.Popen(
            [browser, "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run", "--disable-extensions",
             "--disable-background-networking", "--disable-sync", "--disable-component-update",
             f"--user-data-dir={os.path.join(workdir, 'chromium')}", "--remote-debugging-address=127.0.0.1",
             f"--remote-debugging-port={port}", url], stdout=self.log, stderr=subprocess.STDOUT)
        targets = []
        def listed():
            try:
                with urllib.request.urlopen(f"http://127.0.0.1:{port}/json/list", timeout=2) as answer:
                    targets[:] = [t for t in json.load(answer) if t.get("type") == "page"]
            except OSError:
                return False
            return bool(targets)
        if not wait_for(30, listed):
            fail("headless chromium did not open the page")
        self.ws = _WebSocket(targets[0]["webSocketDebuggerUrl"])
        self.next_id = 0

    def evaluate(self, expression):
        self.next_id += 1
        self.ws.send(json.dumps({"id": self.next_id, "method": "Runtime.evaluate",
                                 "params": {"expression": expression, "returnByValue": True}}))
        until = time.monotonic() + 10
        while time.monotonic() < until:
            answer = json.loads(self.ws.receive())
            if answer.get("id") == self.next_id:
                return answer.get("result", {}).get("result", {}).get("value")
        fail("the browser did not answer")

    def close(self):
        self.process.terminate()
        try:
            self.process.wait(5)
        except subprocess.TimeoutExpired:
            self.process.kill()
