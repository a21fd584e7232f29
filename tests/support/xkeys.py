"""Keys at the X server as a finger types them, for the scripts beside the suite.

xdotool's `key Control_R` presses Control_L as well (it reaches the keysym through the modifier
map), which no player does. These go through XTest by key code, each key held about 80 ms:

    keys = XKeys()              # the X server of $DISPLAY; skips (status 2) without python3-xlib
    keys.tap("Control_R")       # one key
    keys.tap("Control_L+n")     # a chord: pressed in order, released in reverse
"""

import time

from speechservice import skip

try:
    from Xlib import X, XK, display
    from Xlib.ext import xtest
except ImportError:
    X = None


class XKeys:
    def __init__(self):
        if X is None:
            skip("python3-xlib is not installed (scripts/install-deps)")
        self.display = display.Display()
        if not self.display.has_extension("XTEST"):
            skip("the X server has no XTEST extension")

    def code(self, name):
        code = self.display.keysym_to_keycode(XK.string_to_keysym(name))
        if not code:
            raise ValueError(f"no key for {name}")
        return code

    def _send(self, kind, code):
        xtest.fake_input(self.display, kind, code)
        self.display.sync()

    def tap(self, chord, hold=0.08):
        """Returns the moment (time.monotonic) just before the first key was let go."""
        codes = [self.code(name) for name in chord.split("+")]
        for code in codes:
            self._send(X.KeyPress, code)
            time.sleep(0.03)
        time.sleep(hold)
        released = time.monotonic()
        for code in reversed(codes):
            self._send(X.KeyRelease, code)
            time.sleep(0.01)
        return released
