#!/usr/bin/env python3
"""A name server for tests: answers A queries from a table, over UDP.

    fake_dns.py ADDRESS PORT [NAME=IP ...] [--suffix SUFFIX=IP ...] [--log FILE]

NAME=IP answers NAME (letter case ignored) with IP; SUFFIX=IP answers every
name ending in .SUFFIX with IP. Other names get NXDOMAIN; other query types
for a known name an empty answer. A name may be given again on standard
input while the server runs ("NAME=IP" moves it, "NAME=" removes it), so a
test can move a host. Each query is logged as "NAME TYPE" to FILE. Prints
"READY PORT" once it listens (PORT 0 picks a free one). Standard library
only.
"""

import socket
import struct
import sys
import threading


def parse_name(data, offset):
    labels = []
    while True:
        length = data[offset]
        if length == 0:
            return ".".join(labels), offset + 1
        if length & 0xC0:
            raise ValueError("compressed names are not expected in a question")
        labels.append(data[offset + 1:offset + 1 + length].decode("ascii", "replace"))
        offset += 1 + length


def answer(query, table, suffixes):
    ident, flags, qdcount = struct.unpack("!HHH", query[:6])
    if qdcount != 1:
        return None
    name, end = parse_name(query, 12)
    qtype, qclass = struct.unpack("!HH", query[end:end + 4])
    question = query[12:end + 4]
    lower = name.lower().rstrip(".")
    address = table.get(lower)
    if address is None:
        for suffix, ip in suffixes.items():
            if lower.endswith("." + suffix):
                address = ip
    rd = flags & 0x0100
    if address is None:
        header = struct.pack("!HHHHHH", ident, 0x8180 | rd | 3, 1, 0, 0, 0)  # NXDOMAIN
        return header + question, name, qtype
    records = b""
    count = 0
    if qtype == 1 and qclass == 1:
        records = b"\xc0\x0c" + struct.pack("!HHIH", 1, 1, 60, 4) + socket.inet_aton(address)
        count = 1
    header = struct.pack("!HHHHHH", ident, 0x8180 | rd, 1, count, 0, 0)
    return header + question + records, name, qtype


def main():
    args = sys.argv[1:]
    if len(args) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    address, port = args[0], int(args[1])
    table, suffixes, log = {}, {}, None
    rest = args[2:]
    i = 0
    while i < len(rest):
        if rest[i] == "--suffix":
            suffix, ip = rest[i + 1].split("=", 1)
            suffixes[suffix.lower()] = ip
            i += 2
        elif rest[i] == "--log":
            log = open(rest[i + 1], "a", buffering=1)
            i += 2
        else:
            name, ip = rest[i].split("=", 1)
            table[name.lower()] = ip
            i += 1
    lock = threading.Lock()

    def changes():
        for line in sys.stdin:
            name, _, ip = line.strip().partition("=")
            with lock:
                if ip:
                    table[name.lower()] = ip
                else:
                    table.pop(name.lower(), None)
    threading.Thread(target=changes, daemon=True).start()

    sock = socket.socket(socket.AF_INET6 if ":" in address else socket.AF_INET, socket.SOCK_DGRAM)
    sock.bind((address, port))
    print("READY %d" % sock.getsockname()[1], flush=True)
    while True:
        query, peer = sock.recvfrom(4096)
        try:
            with lock:
                result = answer(query, dict(table), dict(suffixes))
        except (ValueError, IndexError, struct.error):
            continue
        if result is None:
            continue
        reply, name, qtype = result
        if log:
            log.write("%s %d\n" % (name, qtype))
        sock.sendto(reply, peer)


if __name__ == "__main__":
    sys.exit(main())
