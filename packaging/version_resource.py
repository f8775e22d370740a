#!/usr/bin/env python3
"""version_resource.py PROGRAM KEY: prints the value of KEY (FileDescription, ProductName, ...)
in the string table of the Windows program PROGRAM's version resource, so that what the
release says of the program, such as its signature's description, is what the program says of
itself. Fails when the resource or the key is missing."""
import struct
import sys

KEY = "VS_VERSION_INFO"
TEXT = 1


def aligned(offset):
    return (offset + 3) & ~3


def node(data, offset):
    """One node of the resource's tree at offset: its key, its value's bytes, where its
    children start and where it ends."""
    length, value_length, kind = struct.unpack_from("<3H", data, offset)
    if length < 6:
        raise ValueError(f"a broken version resource at {offset:#x}")
    key_end = offset + 6
    while key_end < len(data) and data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[offset + 6:key_end].decode("utf-16-le")
    value = aligned(key_end + 2)
    # A text value counts its length in UTF-16 units, with the closing zero.
    size = value_length * 2 if kind == TEXT else value_length
    return key, data[value:value + size], aligned(value + size), offset + length


def children(data, start, end):
    while start < end:
        key, value, first, start = node(data, start)
        yield key, value, first, start
        start = aligned(start)


def strings(data):
    """The string tables' keys and values, in the order they are stored."""
    root = data.find((KEY + "\0").encode("utf-16-le")) - 6
    if root < 0:
        return {}
    _, _, first, end = node(data, root)
    found = {}
    for name, _, table_list, table_list_end in children(data, first, end):
        if name != "StringFileInfo":
            continue
        for _, _, table, table_end in children(data, table_list, table_list_end):
            for key, value, _, _ in children(data, table, table_end):
                found[key] = value.decode("utf-16-le").rstrip("\0")
    return found


def main(program, key):
    with open(program, "rb") as f:
        found = strings(f.read())
    if key not in found:
        sys.exit(f"{program}: no {key} in a version resource")
    print(found[key])


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(*sys.argv[1:])
