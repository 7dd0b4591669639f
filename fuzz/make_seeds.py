#!/usr/bin/env python3
"""Writes the hand-made seeds of the file and serial line fuzz targets.

Each seed is a real example of its format (a workspace as the IDE saves it,
a watch list, a radix table, an edit session on a source, a board's side of
a monitor or download exchange, an Intel HEX file), so that the short runs of the test suite
start deep in the code. The inputs libFuzzer found beside them are kept as
they were merged. Run from the repository root: fuzz/make_seeds.py
"""

import os
import pathlib

ROOT = pathlib.Path(__file__).resolve().parent
CORPUS = ROOT / "corpus"


def write(corpus, name, data):
    folder = CORPUS / corpus
    folder.mkdir(parents=True, exist_ok=True)
    if isinstance(data, str):
        data = data.encode("latin-1")
    (folder / ("seed-" + name)).write_bytes(bytes(data))


def checksum(values):
    return (-sum(values)) & 0xFF


# ---- workspace files ---------------------------------------------------------

HEADER = [
    ("Project", "BLINK.A51"),
    ("ProcessorType", "3"),
    ("DefaultFindDir", "/home/user/8051/blink"),
    ("SectorSize", "64"),
    ("EnablePagedMemory", "1"),
    ("EnablePaged8bitAddressing", "1"),
    ("PagedMemoryControlAddress", "144"),
    ("NumberOfMemoryPages", "3"),
    ("ProcessorVariant", "1"),
    ("LoaderType", "2"),
    ("EnableAutoUpdate", "1"),
    ("UpdateCount", "250"),
]


def workspace(header, windows, buttons, end="\r\n"):
    lines = ["%s=%s" % kv for kv in header]
    lines += ["Window=" + w for w in windows]
    lines += ["VirtButton=" + b for b in buttons]
    return end.join(lines) + end


def workspace_seeds():
    windows = [
        "8051,BLINK.A51,BLINK.A51,0,0,420,600",
        "8051,a,b.a51,a,b.a51,10,20,300,400",
        "8051,board.inc,board.inc,30,40,330,640",
        "Output,Output,,420,0,560,800",
        "Dump,Dump,,0,0,100,100",
        "Register,Register,,0,600,300,800",
        "Port,Port,,0,0,200,200",
        "DRAM,DRAM,,5,5,200,300",
        "IRAM,IRAM,,6,6,200,300",
        "XRAM,XRAM,,7,7,200,300",
        "Watch,Watch,,0,600,200,800",
        "ConReg,ConReg,,1,2,3,4",
    ]
    buttons = [
        "100,200,150,300,0,Go,251,0,0,P3",
        "1,2,3,4,3,Set,0,1,1,8000H",
        "-5,-6,70000,99999999999,2,Toggle,255,1,0,P1",
    ]
    write("workspace", "full.wsp", workspace(HEADER, windows, buttons))
    write("workspace", "lf.wsp", workspace(HEADER[:4], windows[:3], buttons[:1], "\n"))
    write("workspace", "cr.wsp", workspace(HEADER[4:], windows[3:], buttons[1:], "\r"))
    write("workspace", "minimal.wsp", "Project=\r\nProcessorType=1\r\n")
    # Values a hand edit or a damaged file may hold.
    odd_header = [
        ("ProcessorType", "7"),
        ("SectorSize", "-300"),
        ("PagedMemoryControlAddress", "300"),
        ("EnablePagedMemory", "1"),
        ("NumberOfMemoryPages", "99"),
        ("UpdateCount", "  +2147483648"),
        ("LoaderType", "9x"),
        ("Unknown", "1"),
        ("project", "lower case key"),
    ]
    odd_windows = [
        "8051,x,y,x,y,1,2,3,4",
        "8051,q,a,b.a51,5,6,7,8",
        "Output,,,",
        "Output",
        "Nothing,Output,,1,1,1,1",
        "8051,missing.a51,/no/such/dir/missing.a51,0,0,10,10",
        "Watch,Watch,,123456789012345678901,-0,+3,x",
    ]
    write("workspace", "odd-values.wsp", workspace(odd_header, odd_windows, ["", ",,,,,,,,,,,,"]))
    write("workspace", "blank-line-ends.wsp",
          workspace(HEADER[:2], [], []) + "\r\nWindow=Output,Output,,1,2,3,4\r\n")
    long_title = "T" * 17000
    write("workspace", "long-line.wsp",
          workspace(HEADER[:1], ["Output," + long_title + ",,1,2,3,4"], ["1,2,3,4,0," + "B" * 40]))


# ---- WATCH.DAT -----------------------------------------------------------------

def watch(resource, fmt, bit, name, order=(0, 1, 2, 3), nul=0, length=0, radix=2, location=-1):
    return "%d, %d, %d, %d, %d, %d, %d, %d, %d, %d, %d, %s\r\n" % (
        (resource, fmt, bit, location) + tuple(order) + (nul, length, radix, name))


def watch_seeds():
    lines = [
        watch(2, 0, 0, "COUNT"),
        watch(2, 4, 0, "FLAG"),
        watch(2, 4, 3, "20H"),
        watch(1, 0, 0, "TABLE", radix=1),
        watch(1, 1, 0, "TABLE", order=(1, 0, 2, 3)),
        watch(3, 2, 0, "KEYS", order=(3, 2, 1, 0), radix=4),
        watch(3, 3, 0, "KEYS", nul=1, length=0, radix=3),
        watch(3, 3, 0, "KEYS+2", nul=0, length=12),
        watch(0, 0, 0, "PC"),
        watch(0, 1, 0, "DPTR"),
        watch(0, 0, 0, "ACC", radix=0),
        watch(4, 0, 0, "Cycles"),
        watch(4, 2, 0, "Total Cycles"),
        watch(2, 0, 0, "START", location=0),
        watch(2, 0, 0, "0FFH"),
    ]
    write("watch_file", "typical.dat", "".join(lines))
    write("watch_file", "lf.dat", "".join(lines[:5]).replace("\r\n", "\n"))
    odd = [
        watch(9, 9, 9, "COUNT"),
        watch(2, 1, 0, "COUNT", order=(7, 7, 7, 7)),
        watch(3, 3, 0, "KEYS", nul=0, length=99999),
        "2,0,0,-1,0,1,2,3,0,0,2,\r\n",
        "99999999999, 1, 2\r\n",
        "nothing but a name\r\n",
        ",,,,,,,,,,, , ,name with blanks\r\n",
        watch(2, 0, 0, "N" * 600),
        "\r\n\r\n",
    ]
    write("watch_file", "odd.dat", "".join(odd))


# ---- RADIX.DAT -------------------------------------------------------------------

def radix_seeds():
    table = [0] * 680
    table[0] = 1
    write("radix_file", "default.dat", table)
    table = [(i % 5) for i in range(680)]
    table[0] = 2
    write("radix_file", "every-code.dat", table)
    write("radix_file", "short.dat", [4, 2, 2, 3, 0, 1])
    write("radix_file", "bad-codes.dat", [0] + [200, 5, 255] * 300)


# ---- editor sessions ---------------------------------------------------------------

KEYS = ["left", "right", "up", "down", "pageup", "pagedown", "home", "end", "insert",
        "delete", "f3", "backspace", "enter", "tab"]


class Script:
    def __init__(self):
        self.data = bytearray()

    def type(self, text):
        for c in text.encode("latin-1"):
            self.data += bytes([0, c])
        return self

    def ctrl(self, char, shift=False):
        self.data += bytes([2 | (0x30 if shift else 0x20), ord(char)])
        return self

    def key(self, name, shift=False, ctrl=False):
        mods = (1 if shift else 0) | (2 if ctrl else 0)
        self.data += bytes([3 | mods << 4, KEYS.index(name)])
        return self

    def select(self, anchor, caret):
        self.data += bytes([5, anchor[1], anchor[0], caret[1], caret[0]])
        return self

    def paste(self, text):
        raw = text.encode("latin-1")
        self.data += bytes([6, len(raw)]) + raw
        return self

    def cut(self):
        self.data += bytes([7 | 0x10])
        return self

    def copy(self):
        self.data += bytes([7])
        return self

    def paste_clipboard(self):
        self.data += bytes([8])
        return self

    def indent(self, tab=False, unindent=False):
        self.data += bytes([9 | (0x10 if tab else 0) | (0x20 if unindent else 0)])
        return self

    def undo(self, times=1):
        self.data += bytes([10]) * times
        return self

    def redo(self, times=1):
        self.data += bytes([11]) * times
        return self

    def run(self, count256, char):
        self.data += bytes([12, count256, ord(char)])
        return self

    def toggle_overwrite(self):
        self.data += bytes([15])
        return self


def editor_input(source, script, tab_width=8, overwrite=False, tight=None):
    flags = (tab_width - 1) | (0x20 if overwrite else 0) | (0x40 if tight is not None else 0)
    raw = source.encode("latin-1")
    data = bytes([flags]) + len(raw).to_bytes(2, "little") + raw
    if tight is not None:
        data += tight.to_bytes(2, "little")
    return data + bytes(script.data)


def editor_seeds():
    blink = (ROOT.parent / "examples" / "blink" / "blink.a51").read_text("latin-1")
    board = (ROOT.parent / "examples" / "blink" / "board.inc").read_text("latin-1")
    s = Script().type("MOV A,#10H").key("enter").key("tab").type("INC A").key("enter")
    s.select((0, 0), (0, 2)).indent().indent(unindent=True).indent(tab=True)
    s.ctrl("k").type("i").ctrl("k").type("u").undo(3).redo(2)
    write("editor", "typing.bin", editor_input(blink, s))
    s = Script().select((0, 10), (5, 14)).cut().key("down").paste_clipboard().paste_clipboard()
    s.paste("\tNOP\r\n\tNOP\nlabel:\tRET\r").key("backspace").key("delete").ctrl("t")
    s.ctrl("q").type("y").key("end", shift=True).undo(6).redo(6).undo(2)
    write("editor", "clipboard.bin", editor_input(board, s, tab_width=4))
    s = Script().toggle_overwrite().type("XYZ").key("home").type("ABCDEFGHIJ").key("enter")
    s.key("tab").key("tab", shift=True).type("\t").undo(4)
    write("editor", "overwrite.bin", editor_input("abc\r\ndef\tghi\r\n\r\nlast", s))
    s = Script().run(255, "x").run(255, "x").run(255, "x").run(255, "x").run(255, "y")
    s.key("enter").undo(3).redo(1)
    write("editor", "full-buffer.bin", editor_input("small\n", s, tight=300))
    s = Script().type("a").key("backspace").key("backspace").key("delete").undo(5)
    write("editor", "lf-and-nul.bin", editor_input("one\ntwo\n\x00three\r\rfour", s))


# ---- the board's side of the serial line ----------------------------------------

def monitor_record(rtype, address, data):
    summed = [len(data), address >> 8, address & 0xFF, rtype] + list(data)
    text = ":" + "".join("%02X" % b for b in summed) + "%02X" % checksum(summed)
    return (text + "\r\n").encode("latin-1")


def send(data):
    out = bytearray()
    for i in range(0, len(data), 64):
        chunk = data[i:i + 64]
        out += bytes([len(chunk) - 1]) + chunk
    return bytes(out)


def polls(count):
    return bytes([0x40 | (count - 1)])


def monitor_seeds():
    state = monitor_record(4, 0, [0x34, 0x12, 0x80, 0x55, 0x07, 0x00, 0x02, 0x00, 0x40])
    iram = monitor_record(1, 0x30, list(range(16)))
    upper = monitor_record(1, 0xF8, list(range(16)))
    exchange = (send(b"Board monitor V1.0\r\n") + polls(2) + send(state) + polls(3)
                + send(iram) + polls(2) + send(upper) + polls(2)
                + send(monitor_record(4, 0, [0x00, 0x01])) + polls(5))
    write("board_monitor", "exchange.bin", bytes([0x01]) + exchange)
    bad = bytearray(state)
    bad[12] ^= 0x01
    noisy = (send(bytes(bad)) + polls(2) + send(b":FF0000" + b"\n") + polls(1)
             + send(b"x" * 64) * 70 + polls(10) + send(state[:9]) + polls(8) + send(state[9:])
             + polls(2))
    write("board_monitor", "noise.bin", bytes([0x11]) + noisy)
    commands = (send(state) + bytes([0xC0]) + polls(2) + bytes([0xC2 | 0x04]) + send(iram)
                + polls(2) + bytes([0xC3]) + send(state) + polls(2) + bytes([0xE1, 0x03])
                + send(iram) + polls(10) + bytes([0xE0, 0x10]) + polls(1) + bytes([0xC3])
                + send(state) + polls(2))
    write("board_monitor", "commands.bin", bytes([0x0D]) + commands)
    write("board_monitor", "once-reset.bin", bytes([0x0D]) + bytes([0xC0]) + send(state) + polls(3))


def answer(data):
    if len(data) < 63:
        return bytes([0x80 | len(data)]) + data
    return bytes([0xBF, len(data)]) + data


def pause(units):
    return bytes([0x40 | units])


def download_seeds():
    ok = b":0\r\n"
    # Loader types 0, 1 and 3 with the 300-byte image at 40h, sector 64.
    for loader, name in ((0, "constant-ea"), (1, "pulsed-ea"), (3, "once")):
        setup = loader | (0 << 2) | (0 << 4)
        exchange = answer(ok) * 6 + pause(63) * 3
        write("download", name + ".bin", bytes([setup]) + exchange)
    # Refusals, silence and a late acknowledgement on the text loaders.
    setup = 1 | (1 << 2)
    exchange = (answer(ok) + answer(b":1\r\n") + pause(25) + answer(ok) * 2
                + bytes([0x05, 4]) + ok + answer(ok) * 2 + pause(63) * 2)
    write("download", "refusals.bin", bytes([setup]) + exchange)
    # The ADuC loader: identification, erase, sixteen-byte blocks, run.
    setup = 2
    exchange = answer(b"ADI841  V210\r\n") + answer(b"\x06") * 22 + pause(63) * 2
    write("download", "aduc.bin", bytes([setup]) + exchange)
    exchange = (answer(b"ADI841  V150\r\n") + pause(5))
    write("download", "aduc-old-revision.bin", bytes([setup]) + exchange)
    exchange = (answer(b"ADI999  V210\r\n") + pause(5))
    write("download", "aduc-unknown-chip.bin", bytes([setup]) + exchange)
    exchange = (pause(2) + answer(b"ADI841  V210\r\n") + answer(b"\x07") + answer(b"\x06") * 3
                + pause(4) + answer(b"\x06") * 30 + pause(20))
    write("download", "aduc-refusal.bin", bytes([setup]) + exchange)
    # An image from the input: bytes up to the top of the code space, odd sector size.
    image = bytes(range(128))
    setup = 0 | (3 << 2) | (3 << 4)
    data = bytes([setup]) + (0xFF80).to_bytes(2, "little") + bytes([len(image)]) + image
    write("download", "top-of-memory.bin", data + bytes([50]) + answer(ok) * 3 + pause(63) * 2)
    # Line trouble: errors, a trickle, a clock jump, a vanished line.
    setup = 0 | (0x40 | 0x80)
    trouble = (answer(ok) + bytes([0xE1, 3]) + pause(30) + bytes([0xE0, 0x01]) + answer(ok)
               + bytes([0xE3, 0x34, 0x12]) + pause(30) + bytes([0xE0, 0x10]) + pause(63))
    write("download", "line-trouble.bin", bytes([setup]) + trouble)


# ---- Intel HEX files ---------------------------------------------------------

def record(rtype, address, data=b"", lower=False, end="\r\n"):
    body = bytes([len(data), address >> 8 & 0xFF, address & 0xFF, rtype]) + bytes(data)
    text = ":" + (body + bytes([checksum(body)])).hex().upper()
    return (text.lower() if lower else text) + end


HEX_END = ":00000001FF\r\n"


def hex_seeds():
    # As the assembler writes a program: a jump, a gap, the code.
    program = (record(0, 0, bytes([0x02, 0x00, 0x30]))
               + record(0, 0x30, bytes(range(0x75, 0x85)))
               + record(0, 0x40, bytes([0x80, 0xFE])) + HEX_END)
    write("intel_hex", "program.hex", program)
    write("intel_hex", "lf-lower-case.hex",
          record(0, 0, b"\x02\x00\x30", lower=True, end="\n")
          + record(0, 0x30, bytes(range(40)), lower=True, end="\n") + ":00000001ff\n")
    write("intel_hex", "cr-blanks-trailer.hex",
          "\r  " + record(0, 0x100, b"\xAA\x55", end=" \r") + "\r\t" + HEX_END + "not read\r\n")
    # Extended address and start address records, a full record at the top.
    write("intel_hex", "extended.hex",
          record(4, 0, b"\x00\x00") + record(2, 0, b"\x0F\xF0") + record(0, 0, b"\x11" * 16)
          + record(2, 0, b"\x00\x00") + record(0, 0xFF01, bytes(range(255)))
          + record(3, 0, b"\x00\x00\x00\x30") + record(5, 0, b"\x00\x00\x00\x30") + HEX_END)
    # Overlapping records: the later byte wins.
    write("intel_hex", "overlap.hex",
          record(0, 0x10, b"\x01\x02\x03\x04") + record(0, 0x12, b"\xFF") + HEX_END)
    # Faults: past 64 KB, checksum, count, type, digits, a missing end.
    write("intel_hex", "past-64k.hex", record(0, 0xFFFE, b"\x01\x02\x03") + HEX_END)
    write("intel_hex", "bad-checksum.hex", ":0300000002003000\r\n" + HEX_END)
    write("intel_hex", "bad-count.hex", ":0400000002003000CB\r\n" + HEX_END)
    write("intel_hex", "unknown-type.hex", record(6, 0, b"\x01") + HEX_END)
    write("intel_hex", "bad-digit.hex", ":03000000020G30CB\r\n" + HEX_END)
    write("intel_hex", "no-end.hex", record(0, 0, b"\x02\x00\x30"))
    write("intel_hex", "long-line.hex", ":" + "0" * 600 + "\r\n" + HEX_END)


def main():
    workspace_seeds()
    watch_seeds()
    radix_seeds()
    editor_seeds()
    monitor_seeds()
    download_seeds()
    hex_seeds()


if __name__ == "__main__":
    main()
