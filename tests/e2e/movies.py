"""Small movies and sounds for the end-to-end tests, written byte by byte
here so that each test shows exactly what it plays."""
import math
import struct


class Bits:
    def __init__(self):
        self.bits = ""

    def unsigned(self, value, n):
        self.bits += format(value, f"0{n}b") if n else ""

    def signed(self, value, n):
        self.unsigned(value & ((1 << n) - 1), n)

    def take(self):
        padded = self.bits + "0" * (-len(self.bits) % 8)
        return bytes(int(padded[i:i + 8], 2) for i in range(0, len(padded), 8))


def signed_bits(*values):
    return max(max(v.bit_length() if v >= 0 else (-v - 1).bit_length() for v in values) + 1, 2)


def rect(x0, x1, y0, y1):
    n = signed_bits(x0, x1, y0, y1)
    b = Bits()
    b.unsigned(n, 5)
    for v in (x0, x1, y0, y1):
        b.signed(v, n)
    return b.take()


def tag(code, body=b""):
    if len(body) < 63:
        return struct.pack("<H", code << 6 | len(body)) + body
    return struct.pack("<HI", code << 6 | 63, len(body)) + body


def filled_stage(shape_id, width, height, rgb):
    """DefineShape: one rectangle over the whole stage, filled with rgb."""
    w, h = width * 20, height * 20
    body = struct.pack("<H", shape_id) + rect(0, w, 0, h) + bytes([1, 0x00, *rgb]) + bytes([0])
    b = Bits()
    b.unsigned(1, 4)
    b.unsigned(0, 4)
    b.unsigned(0b000101, 6)  # style change: fill style 1, move to
    b.unsigned(2, 5)
    b.signed(0, 2)
    b.signed(0, 2)
    b.unsigned(1, 1)
    n = signed_bits(w, -w, h, -h)
    for vertical, delta in ((False, w), (True, h), (False, -w), (True, -h)):
        b.unsigned(0b11, 2)
        b.unsigned(n - 2, 4)
        b.unsigned(0, 1)
        b.unsigned(1 if vertical else 0, 1)
        b.signed(delta, n)
    b.unsigned(0, 6)
    return tag(2, body + b.take())


def event_sound(seconds=2000 / 5512.5, level=100):
    """Raw 8-bit mono samples at 5.5 kHz: a 439 Hz tone (a cycle every 4 pi
    samples) of `level` out of 127."""
    return bytes(128 + int(level * math.sin(i / 2)) for i in range(int(seconds * 5512.5)))


def movie(colours, width=400, height=300, rate=12, frames_each=1, background=(255, 255, 255), sound=False,
          sound_seconds=2000 / 5512.5, sound_level=100):
    """A movie that shows each colour over its whole stage for frames_each
    frames, in turn; it has no actions, so as a player's last frame the last
    colour stays. With sound, its first frame starts an event sound (short
    unless sound_seconds says otherwise)."""
    tags = tag(9, bytes(background))
    if sound:
        samples = event_sound(sound_seconds, sound_level)
        tags += tag(14, struct.pack("<HBI", 1, 0x00, len(samples)) + samples)  # raw 8-bit mono 5.5 kHz
        tags += tag(15, struct.pack("<HB", 1, 0))
    frames = 0
    for i, rgb in enumerate(colours):
        shape = i + 1
        tags += filled_stage(shape, width, height, rgb)
        place = bytes([0x02 | (0x01 if i else 0)]) + struct.pack("<HH", 1, shape)  # (move and) character at depth 1
        tags += tag(26, place)
        for _ in range(frames_each):
            tags += tag(1)
            frames += 1
    tags += tag(0)
    body = rect(0, width * 20, 0, height * 20) + struct.pack("<HH", rate << 8, frames) + tags
    return b"FWS\x06" + struct.pack("<I", 8 + len(body)) + body


def wave(seconds=1.0, frequency=440, rate=22050):
    """A mono 16-bit sine tone as a wave file."""
    n = int(seconds * rate)
    samples = b"".join(struct.pack("<h", int(12000 * math.sin(2 * math.pi * frequency * i / rate))) for i in range(n))
    fmt = struct.pack("<HHIIHH", 1, 1, rate, rate * 2, 2, 16)
    riff = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(samples)) + samples
    return b"RIFF" + struct.pack("<I", len(riff)) + riff


def settings(movies, sounds=(), **options):
    """A settings file: movie and sound paths (Windows form) and options."""
    lines = ["[Movies]"] + [m + "=" for m in movies] + ["[Sounds]"] + [s + "=" for s in sounds] + ["[Options]"]
    lines += [f"{k}={int(v) if isinstance(v, bool) else v}" for k, v in options.items()]
    return ("\r\n".join(lines) + "\r\n").encode("latin-1")
