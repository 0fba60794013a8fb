#!/usr/bin/env python3
"""An independent reader of config.db: unscrambles it and checks its sections and records.

config_db.py show CONFIG_DB           print the document (as UTF-8)
config_db.py check CONFIG_DB MIN      exit 1 unless the document is sound and holds at least MIN
                                      file tasks with the identifiers 1..N in order; prints N
config_db.py ids CONFIG_DB            print the file task identifiers, one a line
config_db.py write CONFIG_DB TEXT     store TEXT (UTF-8 here, GBK in the file) as the document
"""
import sys

KEY = 173


def unscramble(stored: bytes) -> bytes:
    a, b = KEY % 11 + 91, KEY % 13 + 89
    out = bytearray()
    for i in range(0, len(stored), 2):
        b0 = stored[i]
        b1 = stored[i + 1] if i + 1 < len(stored) else 0
        lo = (b + b1) & 0xFF
        out.append((((a + b0 + lo) << 4) | (lo & 0x0F)) & 0xFF)
    return bytes(out)


def scramble(text: bytes) -> bytes:
    a, b = KEY % 11 + 91, KEY % 13 + 89
    out = bytearray()
    for d in text:
        out.append(((d >> 4) - a - (d & 0x0F)) & 0xFF)
        out.append(((d & 0x0F) - b) & 0xFF)
    return bytes(out)


def section(text: bytes, name: bytes) -> bytes:
    open_tag, close_tag = b"<" + name + b">", b"</" + name + b">"
    start, end = text.find(open_tag), text.find(close_tag)
    if start < 0 or end < start + len(open_tag):
        raise ValueError("section %s missing" % name.decode())
    return text[start + len(open_tag):end]


def check(path: str, minimum: int) -> int:
    stored = open(path, "rb").read()
    if len(stored) % 2 or any(byte < 140 or byte > 182 for byte in stored):
        print("not a scrambled document: length %d" % len(stored))
        return 1
    text = unscramble(stored)
    try:
        section(text, b"rarpath")
        files = section(text, b"FileBackups")
        section(text, b"SqlBackups")
    except ValueError as error:
        print(error)
        return 1
    if not files.startswith(b"|||") or not files.endswith(b"|||"):
        print("FileBackups does not start and end with a separator")
        return 1
    records = [r for r in files.split(b"|||") if r]
    for number, record in enumerate(records, 1):
        if section(record, b"m_strID") != str(number).encode():
            print("record %d has identifier %r" % (number, section(record, b"m_strID")))
            return 1
    if len(records) < minimum:
        print("%d file tasks, fewer than %d" % (len(records), minimum))
        return 1
    print(len(records))
    return 0


def main() -> int:
    if len(sys.argv) == 3 and sys.argv[1] == "show":
        text = unscramble(open(sys.argv[2], "rb").read())
        print(text.decode("gbk", errors="replace"))
        return 0
    if len(sys.argv) == 3 and sys.argv[1] == "ids":
        text = unscramble(open(sys.argv[2], "rb").read())
        for record in section(text, b"FileBackups").split(b"|||"):
            if record:
                print(section(record, b"m_strID").decode())
        return 0
    if len(sys.argv) == 4 and sys.argv[1] == "write":
        with open(sys.argv[2], "wb") as f:
            f.write(scramble(sys.argv[3].encode("gbk")))
        return 0
    if len(sys.argv) == 4 and sys.argv[1] == "check":
        return check(sys.argv[2], int(sys.argv[3]))
    print(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main())
