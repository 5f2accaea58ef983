#!/usr/bin/env python3
"""A name server for tests: answers A queries from a table, over UDP and TCP.

    fake_dns.py ADDRESS PORT [NAME=IP ...] [--suffix SUFFIX=IP ...] [--log FILE]
                [--delay MS]

NAME=IP answers NAME (letter case ignored) with IP; SUFFIX=IP answers every
name ending in .SUFFIX with IP. Other names get NXDOMAIN; other query types
for a known name an empty answer. NAME=! (or SUFFIX=!) is never answered,
as a name whose servers are down. --delay MS sends each reply MS
milliseconds after its query came, as a server that far away would, without
holding up the queries behind it. Hostile forms for the reader's tests:
NAME=IP*N answers with N records of IP (long enough, a reply that does not
fit UDP's 512 bytes is cut short with TC set, and sent whole over TCP);
NAME=OWNER:IP answers with a record of another name, OWNER; NAME=>TARGET
answers with a CNAME to TARGET followed by TARGET's own records. A name may be given again on standard
input while the server runs ("NAME=IP" moves it, "NAME=" removes it), so a
test can move a host. Each query is logged as "NAME TYPE" to FILE. Prints
"READY PORT" once it listens (PORT 0 picks a free one). Standard library
only.
"""

import heapq
import signal
import socket
import struct
import sys
import threading
import time

# What records_of gives for a name that is never answered.
SILENT = "silent"


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


def encode_name(name):
    out = b""
    for label in name.rstrip(".").split("."):
        out += bytes([len(label)]) + label.encode("ascii")
    return out + b"\0"


def records_of(name, table, suffixes, depth=0):
    """The answer records for name, or None for NXDOMAIN."""
    lower = name.lower().rstrip(".")
    entry = table.get(lower)
    if entry is None:
        for suffix, ip in suffixes.items():
            if lower.endswith("." + suffix):
                entry = ip
    if entry is None:
        return None
    if entry == "!":
        return SILENT
    owner = encode_name(name)
    if entry.startswith(">"):
        target = entry[1:]
        rest = records_of(target, table, suffixes, depth + 1) if depth < 8 else None
        if rest == SILENT:
            rest = None
        target_name = encode_name(target)
        cname = owner + struct.pack("!HHIH", 5, 1, 60, len(target_name)) + target_name
        return [cname] + (rest or [])
    if ":" in entry:
        owner_name, entry = entry.split(":", 1)
        owner = encode_name(owner_name)
    ip, _, times = entry.partition("*")
    a = owner + struct.pack("!HHIH", 1, 1, 60, 4) + socket.inet_aton(ip)
    return [a] * (int(times) if times else 1)


def answer(query, table, suffixes, limit):
    ident, flags, qdcount = struct.unpack("!HHH", query[:6])
    if qdcount != 1:
        return None
    name, end = parse_name(query, 12)
    qtype, qclass = struct.unpack("!HH", query[end:end + 4])
    question = query[12:end + 4]
    rd = flags & 0x0100
    records = records_of(name, table, suffixes)
    if records == SILENT:
        return None
    if records is None:
        header = struct.pack("!HHHHHH", ident, 0x8180 | rd | 3, 1, 0, 0, 0)  # NXDOMAIN
        return header + question, name, qtype
    if not (qtype == 1 and qclass == 1):
        records = []
    body = b"".join(records)
    if 12 + len(question) + len(body) > limit:
        header = struct.pack("!HHHHHH", ident, 0x8380 | rd, 1, 0, 0, 0)  # TC: ask again over TCP
        return header + question, name, qtype
    header = struct.pack("!HHHHHH", ident, 0x8180 | rd, 1, len(records), 0, 0)
    return header + question + body, name, qtype


def main():
    args = sys.argv[1:]
    if len(args) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    address, port = args[0], int(args[1])
    table, suffixes, log, delay = {}, {}, None, 0.0
    rest = args[2:]
    i = 0
    while i < len(rest):
        if rest[i] == "--suffix":
            suffix, ip = rest[i + 1].split("=", 1)
            suffixes[suffix.lower()] = ip
            i += 2
        elif rest[i] == "--delay":
            delay = float(rest[i + 1]) / 1000
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

    def reply_to(query, limit):
        try:
            with lock:
                result = answer(query, dict(table), dict(suffixes), limit)
        except (ValueError, IndexError, struct.error):
            return None
        if result is None:
            return None
        reply, name, qtype = result
        if log:
            log.write("%s %d\n" % (name, qtype))
        return reply

    family = socket.AF_INET6 if ":" in address else socket.AF_INET
    sock = socket.socket(family, socket.SOCK_DGRAM)
    # A thousand questions may come in one burst.
    sock.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4 << 20)
    sock.bind((address, port))
    port = sock.getsockname()[1]
    stream = socket.socket(family, socket.SOCK_STREAM)
    stream.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    stream.bind((address, port))
    stream.listen(16)

    def read_exactly(conn, n):
        data = b""
        while len(data) < n:
            more = conn.recv(n - len(data))
            if not more:
                raise ConnectionError("closed")
            data += more
        return data

    def serve_stream():
        while True:
            conn, _ = stream.accept()
            with conn:
                try:
                    while True:
                        size = struct.unpack("!H", read_exactly(conn, 2))[0]
                        reply = reply_to(read_exactly(conn, size), 65535)
                        if reply is None:
                            break
                        time.sleep(delay)
                        conn.sendall(struct.pack("!H", len(reply)) + reply)
                except (ConnectionError, OSError):
                    pass
    threading.Thread(target=serve_stream, daemon=True).start()

    # One write, line end included, and a reader that has gone away is no
    # reason to stop serving.
    signal.signal(signal.SIGPIPE, signal.SIG_IGN)
    try:
        sys.stdout.write("READY %d\n" % port)
        sys.stdout.flush()
    except OSError:
        pass
    # Replies wait in order of their time to go, on one thread of their own.
    due, due_changed, order = [], threading.Condition(), [0]

    def send_when_due():
        while True:
            with due_changed:
                while not due or due[0][0] > time.monotonic():
                    due_changed.wait(due[0][0] - time.monotonic() if due else None)
                _, _, reply, peer = heapq.heappop(due)
            sock.sendto(reply, peer)
    threading.Thread(target=send_when_due, daemon=True).start()

    while True:
        query, peer = sock.recvfrom(4096)
        reply = reply_to(query, 512)
        if reply is None:
            continue
        if delay <= 0:
            sock.sendto(reply, peer)
            continue
        with due_changed:
            order[0] += 1
            heapq.heappush(due, (time.monotonic() + delay, order[0], reply, peer))
            due_changed.notify()


if __name__ == "__main__":
    sys.exit(main())
