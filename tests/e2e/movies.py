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


STEPS = [7, 8, 9, 10, 11, 12, 13, 14, 16, 17, 19, 21, 23, 25, 28, 31, 34, 37, 41, 45, 50, 55, 60, 66, 73, 80, 88,
         97, 107, 118, 130, 143, 157, 173, 190, 209, 230, 253, 279, 307, 337, 371, 408, 449, 494, 544, 598, 658,
         724, 796, 876, 963, 1060, 1166, 1282, 1411, 1552, 1707, 1878, 2066, 2272, 2499, 2749, 3024, 3327, 3660,
         4026, 4428, 4871, 5358, 5894, 6484, 7132, 7845, 8630, 9493, 10442, 11487, 12635, 13899, 15289, 16818,
         18500, 20350, 22385, 24623, 27086, 29794, 32767]


def adpcm(samples):
    """16-bit mono samples coded as the movie format's ADPCM with 4-bit
    codes: packets of 4096 samples, each opening with its sample and step
    index, then the codes of an IMA encoder."""
    bits = Bits()
    bits.unsigned(2, 2)  # code size: 4 bits
    index = predicted = 0
    for i, sample in enumerate(samples):
        if i % 4096 == 0:
            index = min(index, 63)  # the packet's field has 6 bits
            bits.signed(sample, 16)
            bits.unsigned(index, 6)
            predicted = sample
            continue
        step, diff, code = STEPS[index], sample - predicted, 0
        if diff < 0:
            code, diff = 8, -diff
        delta = step >> 3
        for bit, part in ((4, step), (2, step >> 1), (1, step >> 2)):
            if diff >= part:
                code |= bit
                diff -= part
                delta += part
        predicted = max(-32768, min(32767, predicted - delta if code & 8 else predicted + delta))
        index = max(0, min(88, index + (-1, -1, -1, -1, 2, 4, 6, 8)[code & 7]))
        bits.unsigned(code, 4)
    return bits.take()


def sound_tags(kind, seconds, level, rate):
    """The tags of a movie's first frame that start its sound, and what each
    later frame carries (stream blocks)."""
    samples = event_sound(seconds, level)
    if kind == "stream":
        per_frame = int(5512.5 / rate) + 1
        head = tag(45, bytes([0x00, 0x30]) + struct.pack("<H", per_frame))  # raw 8-bit mono 5.5 kHz
        blocks = [samples[i:i + per_frame] for i in range(0, len(samples), per_frame)]
        return head, blocks
    if kind == "adpcm":
        coded = adpcm([(v - 128) << 8 for v in samples])
        define = tag(14, struct.pack("<HBI", 1, 0x12, len(samples)) + coded)  # ADPCM mono 5.5 kHz
    else:
        define = tag(14, struct.pack("<HBI", 1, 0x00, len(samples)) + samples)  # raw 8-bit mono 5.5 kHz
    return define + tag(15, struct.pack("<HB", 1, 0)), []


def movie(colours, width=400, height=300, rate=12, frames_each=1, background=(255, 255, 255), sound=False,
          sound_seconds=2000 / 5512.5, sound_level=100):
    """A movie that shows each colour over its whole stage for frames_each
    frames, in turn; it has no actions, so as a player's last frame the last
    colour stays. With sound, its first frame starts an event sound (short
    unless sound_seconds says otherwise): raw samples, or with
    sound="adpcm" coded; sound="stream" streams the tone instead, a block
    each frame as long as it lasts."""
    tags = tag(9, bytes(background))
    blocks = []
    if sound:
        first, blocks = sound_tags(sound if isinstance(sound, str) else "event", sound_seconds, sound_level, rate)
        tags += first
    frames = 0
    for i, rgb in enumerate(colours):
        shape = i + 1
        tags += filled_stage(shape, width, height, rgb)
        place = bytes([0x02 | (0x01 if i else 0)]) + struct.pack("<HH", 1, shape)  # (move and) character at depth 1
        tags += tag(26, place)
        for _ in range(frames_each):
            if frames < len(blocks):
                tags += tag(19, blocks[frames])
            tags += tag(1)
            frames += 1
    tags += tag(0)
    body = rect(0, width * 20, 0, height * 20) + struct.pack("<HH", rate << 8, frames) + tags
    return b"FWS\x06" + struct.pack("<I", 8 + len(body)) + body


def text_movie(text, font="Arial", rgb=(200, 0, 0), width=400, height=300):
    """A one-frame movie of a white stage with a bordered text field that
    shows `text` (UTF-8) in a device font: a font that names itself and
    carries no outlines, so the system draws its letters."""
    name = font.encode()
    # DefineFont2 without glyphs: wide offsets and codes, and only the code
    # table's offset in the offset table.
    define_font = struct.pack("<HBBB", 1, 0x0C, 0, len(name)) + name + struct.pack("<HI", 0, 4)
    field = struct.pack("<H", 2) + rect(500, width * 20 - 500, 1500, 3000)
    field += bytes([0x80 | 0x08 | 0x04 | 0x01, 0x08])  # text, read-only, colour, font; border
    field += struct.pack("<HH", 1, 600) + bytes(rgb) + b"\xff" + b"\x00" + text.encode() + b"\x00"
    tags = tag(9, bytes((255, 255, 255))) + tag(48, define_font) + tag(37, field)
    tags += tag(26, bytes([0x02]) + struct.pack("<HH", 1, 2)) + tag(1) + tag(0)
    body = rect(0, width * 20, 0, height * 20) + struct.pack("<HH", 12 << 8, 1) + tags
    return b"FWS\x08" + struct.pack("<I", 8 + len(body)) + body


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
