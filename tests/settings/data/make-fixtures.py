#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""Writes handwritten.ini: a stored history laid out byte by byte, escaped the way QSettings escapes
values in INI files, without using Qt. The loader tests read it back and compare with what this
script put in. Also inline-large.ini: a history as versions before content files stored it, with
large formats inline, and each large format's SHA-256 in a comment. Run it from this folder; the
output is committed."""

import hashlib
import random
import struct


def string(text):
    if text is None:
        return struct.pack(">I", 0xFFFFFFFF)
    data = text.encode("utf-16-be")
    return struct.pack(">I", len(data)) + data


def blob(data):
    if data is None:
        return struct.pack(">I", 0xFFFFFFFF)
    return struct.pack(">I", len(data)) + data


def variant(type_name, entries):
    name = type_name.encode("latin-1") + b"\0"
    stream = struct.pack(">I", 127) + struct.pack(">I", len(name)) + name
    stream += struct.pack(">I", len(entries))
    for key, value in entries:
        stream += string(key) + blob(value)
    return b"@Variant(" + stream + b")"


def escape(value):
    """QSettings' escaping of a "@Variant(" value: printable ASCII as it is, \\0 for zero bytes,
    \\xhh (lower case, no padding) for other control and non-ASCII bytes; a hex digit right after
    a numeric escape is escaped too, so that it is not read as part of it. Quoted when the text
    holds a comma, semicolon or equals sign."""
    out = []
    quote = False
    numeric_before = False
    for byte in value:
        c = chr(byte)
        if c in ";,=":
            quote = True
        if numeric_before and c in "0123456789abcdefABCDEF":
            out.append("\\x%x" % byte)
            continue
        numeric_before = False
        named = {"\a": "\\a", "\b": "\\b", "\f": "\\f", "\n": "\\n", "\r": "\\r", "\t": "\\t",
                 "\v": "\\v", '"': '\\"', "\\": "\\\\"}
        if byte == 0:
            out.append("\\0")
            numeric_before = True
        elif c in named:
            out.append(named[c])
        elif byte < 0x20 or byte >= 0x7F:
            out.append("\\x%x" % byte)
            numeric_before = True
        else:
            out.append(c)
    text = "".join(out)
    return '"' + text + '"' if quote else text


PNG = bytes.fromhex("89504e470d0a1a0a0000000d49484452") + bytes(range(0, 256, 15)) + b"\x00\x00;,="
CANONICAL = "QHash<QString,QByteArray>"

history = [
    # An image: no "text/plain"; one format stored as a null byte array.
    (0, 2, variant(CANONICAL, [("image/png", PNG), ("application/x-qt-image", None)])),
    (0, 1, variant(CANONICAL, [("text/html", "<b>Grüße</b>".encode()),
                               ("text/plain", "Grüße, world".encode())])),
    (1, 3, variant(CANONICAL, [("text/uri-list", b"file:///tmp/a%20b\r\n"),
                               ("text/plain", b"file:///tmp/a b")])),
    # What earlier versions stored, under the two former names of the content type.
    (0, 0, variant("ClipboardContent", [("text/plain", b"old text")])),
    (2, 0, variant("Morv::ClipboardContent", [("text/plain", b"older"), ("application/x-empty", b"")])),
]

lines = ["[dynamic]"]
for index, (mode, content_type, content) in enumerate(history, 1):
    lines.append("items\\%d\\content=%s" % (index, escape(content)))
    lines.append("items\\%d\\contentType=%d" % (index, content_type))
    lines.append("items\\%d\\mode=%d" % (index, mode))
lines.append("items\\size=%d" % len(history))
lines += ["", "[sticky]", "items\\1\\text=Sticky one", "items\\2\\text=", 'items\\3\\text="a, b"',
          "items\\size=3", ""]

with open("handwritten.ini", "w", encoding="utf-8", newline="\n") as out:
    out.write("\n".join(lines))


# Versions before content files kept every format inline, however large. A picture's formats of
# 9000 and 5000 bytes (noise, so every byte value occurs), a large text and a small format beside
# them; the same picture bytes under two names.
noise = random.Random(13)
picture = bytes(noise.randrange(256) for _ in range(9000))
bitmap = bytes(noise.randrange(256) for _ in range(5000))
text = ("Grüße, a long line of text that was copied %d times; " * 120 % tuple(range(120))).encode()
old_history = [
    (0, 2, [("image/png", picture), ("application/x-qt-image", picture), ("image/bmp", bitmap),
            ("application/x-small", b"small, kept inline")]),
    (1, 0, [("text/plain", text), ("text/html", b"<p>short</p>")]),
]
lines = ["; Large formats of this file, \"<item> <format> <SHA-256>\":"]
for index, (mode, content_type, entries) in enumerate(old_history, 1):
    for key, value in entries:
        if len(value) > 4096:
            lines.append("; %d %s %s" % (index, key, hashlib.sha256(value).hexdigest()))
lines.append("[dynamic]")
for index, (mode, content_type, entries) in enumerate(old_history, 1):
    lines.append("items\\%d\\content=%s" % (index, escape(variant(CANONICAL, entries))))
    lines.append("items\\%d\\contentType=%d" % (index, content_type))
    lines.append("items\\%d\\mode=%d" % (index, mode))
lines.append("items\\size=%d" % len(old_history))
lines.append("")

with open("inline-large.ini", "w", encoding="utf-8", newline="\n") as out:
    out.write("\n".join(lines))
