"""Reads a simulated board's log and prints its bell signals in order as "on@T" / "off@T",
T being the (faked) wall-clock time of the report in seconds since 1970.

A log line: "<monotonic s.ns> <realtime s.ns> <report bytes in hex, report id first>". The
bell output is the second port: the long report 20 02 00 / 20 02 01 and the port write
02 00 / 02 01 (on / off). Other reports are not bell signals and are left out.
"""
import sys


def signal(report):
    if len(report) >= 4 and report[1] == 0x20 and report[2] == 0x02:
        return {0x00: "on", 0x01: "off"}.get(report[3])
    if len(report) >= 3 and report[1] == 0x02:
        return {0x00: "on", 0x01: "off"}.get(report[2])
    return None


def main(path):
    out = []
    try:
        lines = open(path).read().splitlines()
    except FileNotFoundError:
        lines = []
    for line in lines:
        fields = line.split()
        if len(fields) < 4:
            continue
        kind = signal([int(b, 16) for b in fields[2:]])
        if kind:
            out.append(f"{kind}@{fields[1]}")
    print(" ".join(out))


main(sys.argv[1])
