"""Reads a KESTRIX settings hive (a registry export written as UTF-8) without
any of the program's code and prints one line per value:

    KEY|NAME|TYPE|HEXBYTES

KEY is the key as written between the brackets, NAME the value name ("" for
@), TYPE the decimal type and HEXBYTES the data in lowercase hex. A "text"
value stands for its code page 932 bytes followed by one NUL. Anything it does
not understand makes it exit with status 1, so a test comparing against it
fails loudly.
"""
import re
import sys

HEADER = "Windows Registry Editor Version 5.00"
BLANKS = " \t"


def unquote(s, i):
    """Reads the quoted text at s[i] == '"'; returns (text, index after it)."""
    out = []
    i += 1
    while i < len(s):
        c = s[i]
        if c == '"':
            return "".join(out), i + 1
        if c == "\\" and i + 1 < len(s) and s[i + 1] in '\\"':
            i += 1
            c = s[i]
        out.append(c)
        i += 1
    raise ValueError("unterminated quote: " + s)


def data_of(text):
    """(type, bytes) of the part after the "=" of a value line."""
    if text.startswith('"'):
        value, end = unquote(text, 0)
        if text[end:].strip(BLANKS):
            raise ValueError("text after the string: " + text)
        return 1, value.encode("cp932") + b"\0"
    if text.startswith("dword:"):
        return 4, int(text[6:], 16).to_bytes(4, "little")
    m = re.fullmatch(r"hex(?:\(([0-9a-f]{1,8})\))?:(.*)", text)
    if not m:
        raise ValueError("unknown data: " + text)
    kind = int(m.group(1), 16) if m.group(1) is not None else 3
    items = [x.strip(BLANKS) for x in m.group(2).split(",")] if m.group(2).strip(BLANKS) else []
    if items and items[-1] == "":
        items.pop()
    if not all(re.fullmatch(r"[0-9a-fA-F]{1,2}", x) for x in items):
        raise ValueError("bad hex: " + text)
    return kind, bytes(int(x, 16) for x in items)


def main(path):
    text = open(path, "rb").read().decode("utf-8").removeprefix("\ufeff")
    lines = [line.rstrip("\r") for line in text.split("\n")]
    key, header, i = None, False, 0
    while i < len(lines):
        line = lines[i].strip(BLANKS)
        i += 1
        if not line or line.startswith(";"):
            continue
        if not header:
            if line != HEADER:
                raise ValueError("bad header: " + line)
            header = True
        elif line.startswith("["):
            if not line.endswith("]"):
                raise ValueError("bad key line: " + line)
            key = line[1:-1]
        else:
            while line.endswith("\\"):
                line = line[:-1] + lines[i].strip(BLANKS)
                i += 1
            if key is None:
                raise ValueError("value before any key: " + line)
            if line.startswith("@="):
                name, rest = "", line[2:]
            else:
                name, end = unquote(line, 0)
                if line[end:end + 1] != "=":
                    raise ValueError("no '=' after the name: " + line)
                rest = line[end + 1:]
            kind, raw = data_of(rest)
            print(f"{key}|{name}|{kind}|{raw.hex()}")


if __name__ == "__main__":
    try:
        main(sys.argv[1])
    except (ValueError, UnicodeError, IndexError) as e:
        print(f"regexport: {e}", file=sys.stderr)
        sys.exit(1)
