#!/usr/bin/env python3
"""Writes the seed corpus of each fuzz target from the test fixtures.

Run from the repository root: fuzz/make-seeds.py. The seeds are committed; the
fuzzers grow their own copies under the build folder.
"""
import hashlib
import pathlib

root = pathlib.Path(__file__).resolve().parent.parent
fixtures = sorted((root / "tests/core/data/roundtrip").glob("*.ini"))
texts = [f.read_bytes() for f in fixtures]
# Small texts for the edges the fixtures do not show.
extra = [
    b"", b"[a]\r\nk=v ;c\r\n", b"\x0c[a\r\n", b"\x0b;x=1\r\n", b"[a\nb]\r\n", b"k=;c\r\n",
    b"abc\x00de", b"abc\x00d", b"\xff\xfe\x00\x00k\x00\x00\x00", b"\x00\x00\xfe\xffk",
    b"key = a\\;b ; note\r\n[ s ] junk ; c\r\n=x\r\n;\r\n", b"utf-8 \xc3\xa6\r\n[\xc3\xa6]\r\n",
]


def write(target, data):
    folder = root / "fuzz/corpus" / target
    folder.mkdir(parents=True, exist_ok=True)
    (folder / hashlib.sha1(data).hexdigest()).write_bytes(data)


hashed = [b"# top\r\n[s]\r\n  #k = v\r\n;c\r\n#\r\n\x01#x=1\r\n", b"#a\n[b]\n##\tc\n"]
for text in texts + extra + hashed:
    for mode in range(5):  # detect, then each forced encoding
        write("fuzz_reader", bytes([mode]) + text)
    write("fuzz_reader", bytes([0x80]) + text)  # detected, "#" lines as comments
    write("fuzz_container", bytes([0x51]) + b"pass1" + text)
    write("fuzz_container", bytes([0x50]) + b"pass1" + text)
    write("fuzz_strong", bytes([1]) + b"\xef\xbb\xbf" + text)
    write("fuzz_strong", bytes([1]) + text)
    write("fuzz_strong", bytes([2, 0x20, 70, 0]) + b"\xef\xbb\xbf" + text)
    utf16 = text.decode("latin-1").encode("utf-16-le")
    for flags in (0x1F, 0x3F, 0x5F, 0x04, 0x03):
        write("fuzz_search", bytes([flags, 1]) + "x".encode("utf-16-le") + utf16)
        write("fuzz_search", bytes([flags, 1]) + "K".encode("utf-16-le") + utf16)
    # "#" lines as comments, replacing with ";", "#" or "=".
    for replacement in (2, 3, 4):
        write("fuzz_search", bytes([0x9F, 1 + 8 * replacement]) + "k".encode("utf-16-le") + utf16)

# Strong headers as files: accepted (then opened with the target's key) and
# refused one field at a time, and a few tampering positions (every header
# field, the tag) and cuts of a sealed text.
def strong_header(version=2, algorithm=1, ops=1, mem=8192):
    return (b"\x89KVCRY\r\n" + bytes([version, algorithm]) + ops.to_bytes(4, "little")
            + mem.to_bytes(4, "little") + bytes(range(16)) + bytes(range(0x20, 0x38)))


for header in (strong_header(), strong_header(ops=16, mem=1048576), strong_header(version=3),
               strong_header(algorithm=2), strong_header(ops=0), strong_header(ops=17),
               strong_header(mem=8191), strong_header(mem=4 * 1024 * 1024)):
    write("fuzz_strong", bytes([0]) + header + bytes(16))
    write("fuzz_strong", bytes([0]) + header + b"[a]\r\nk=v\r\n" + bytes(16))
write("fuzz_strong", bytes([0]) + strong_header()[:73])
for position in (0, 7, 8, 9, 10, 14, 18, 34, 58, 90):
    write("fuzz_strong", bytes([2, 0x02, position, 0]) + b"[a]\r\nk=v\r\n")
for cut in (0, 8, 57, 58, 73, 74, 80):
    write("fuzz_strong", bytes([2, 0x01, cut, 0]) + b"[a]\r\nk=v\r\n")

commands = [
    "dump a.ini", "dump b.ini --encoding 1201", "dump c.ini", "dump d.ini", "dump missing.ini", "dump .",
    "stats a.ini", "save a.ini o.ini --out 1200", "save b.ini o.ini", "save c.ini a.ini",
    "get a.ini s k", "get a.ini t", "set a.ini s k w --comment n", "set b.ini s k 1", "set c.ini s k v",
    "set a.ini s ;k v", "set a.ini s k v;c", "set a.ini a]b k v", "del a.ini s k", "del a.ini t",
    "sort a.ini --by name --descending", "find a.ini k --backward", "find a.ini S --where SN,IC --whole-words",
    "replace a.ini k K --where IN,IV", "replace a.ini v a;b", "replace a.ini top x --dry-run --hash-comments",
    "replace a.ini s t --where SN --case-sensitive", "replace b.ini v w", "--hash-comments stats a.ini",
    "encrypt a.ini e.IniCry --password-file p.txt", "encrypt a.ini e.IniCry --password-file q.txt",
    "encrypt c.ini e.IniCry --password-file p.txt", "decrypt a.ini o.ini --password-file p.txt",
    "--help", "--version", "nothing",
]
for command in commands:
    write("fuzz_cli", command.replace(" ", "\0").encode())
