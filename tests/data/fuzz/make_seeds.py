#!/usr/bin/env python3
"""Writes the hand-made seeds of the fuzz corpus: reports the box sends (inbound), reports
the application sends (simbox) and mode files. Inputs the fuzzer found are kept beside them
under names of their own. Run from anywhere; rewrites only the seed-*.bin files."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
SIZE = 61


def report(*body):
    r = bytearray(SIZE)
    r[0] = 0x02
    data = bytes(body[0]) if len(body) == 1 and isinstance(body[0], (bytes, bytearray)) else bytes(body)
    r[1:1 + len(data)] = data
    return bytes(r[:SIZE])


def param(code, module, parameter, values, status=0):
    body = bytes([code, status, module, parameter, len(values)])
    for v in values:
        body += struct.pack(">f", v) if isinstance(v, float) else struct.pack(">i", v)
    return report(body)


def memory(code, offset, data):
    return report(bytes([code, offset >> 8, offset & 0xFF, len(data)]) + bytes(data))


def text(code, s):
    return report(bytes([code]) + s.encode())


def name(code, slot, s):
    raw = b"".join(struct.pack(">H", ord(c)) for c in s)
    return memory(code, 0x0F00 + 64 * slot, raw)


def band(gain_db, hz, q, code):
    return struct.pack(">HHHB", int((gain_db + 15) * 10), hz, int(q * 1000), code)


def write(folder, file, reports):
    os.makedirs(os.path.join(HERE, folder), exist_ok=True)
    with open(os.path.join(HERE, folder, file), "wb") as f:
        f.write(b"".join(reports))


# What the box answers during a read-back: identity, parameters of every module, memory.
identity = [text(0x80, "KV4420"), text(0x81, "V1.03"), text(0x7E, "D2.10"), report(0x7F, 9)]
write("inbound", "seed-identity.bin", identity)
params = [param(0x0A, m, p, [0.5, 1.0, -3.25, 0.999, 0.0001, 0.9, 0.1]) for m in range(1, 10) for p in (0, 3, 15, 30)]
write("inbound", "seed-parameters.bin", identity + params)
write("inbound", "seed-compressor.bin", [param(0x0A, 5, 40, [-10.0, 0.0, 0.5, 20.0, 0.05, 0.01, 0.001])])
bands = b"".join(band(3.0, 1000 + 100 * i, 1.41, 0x0B) for i in range(8))
write("inbound", "seed-memory.bin", [memory(0x86, 0, bands[:56]), memory(0x86, 1141, bytes(range(20))),
                                     memory(0x86, 1161, bytes(range(32))), name(0xDB, 1, "Show"),
                                     report(0x92, *range(13)), report(0x62, *range(16)),
                                     report(0x0E, *range(15)), report(0x60, 1, 3, 0x45), report(0x20, 1, 7, 8, 9),
                                     report(0x8F, 0, 5), report(0x07, 2), report(0x14)])
write("inbound", "seed-error.bin", [param(0x0A, 4, 3, [1.0], status=0x21)])

# What the application sends: a read-back, a change of every kind, the mode commands.
reads = [report(c) for c in (0x80, 0x81, 0x7E, 0x7F, 0x92, 0x62, 0x0E)]
reads += [param(0x0A, m, p, []) for m in (1, 4, 5) for p in (0, 3)]
reads += [memory(0x86, 0, b"")[:5] + bytes(SIZE - 5), memory(0xDB, 0x0F00, b"")]
write("simbox", "seed-readback.bin", reads)
write("simbox", "seed-writes.bin", [param(0x09, 1, 30, [0.5]), param(0x09, 5, 1, [1.0] * 5),
                                    memory(0x85, 0, band(6.0, 250, 0.7, 0x0B)), name(0xDA, 2, "Stage"),
                                    report(0x91, *range(13)), report(0x63, *range(16))])
write("simbox", "seed-modes.bin", [report(0x03, 1), report(0x04, 1), report(0x05, 1), report(0x06, 1),
                                   report(0x07), report(0x60, 3), report(0x61), report(0x68, 0xAA), report(0x8A)])

# Mode files: version 2 and version 1 of a plain store, and one a byte short.
def mode_file(version, fields):
    body = struct.pack("<I", version) + b"".join(struct.pack("<i", i % 7) for i in range(fields))
    return body + bands + bytes(1141 - len(bands)) + bytes(6) + bytes(32) + bytes(20)

write("modefile", "seed-v2.bin", [mode_file(2, 155)])
write("modefile", "seed-v1.bin", [mode_file(1, 153)])
write("modefile", "seed-short.bin", [mode_file(2, 155)[:-1]])
