#!/usr/bin/env python3
"""Writes the seed inputs of fuzz_link_receive into corpus/ beside this script.

Each seed is a script of events in the target's encoding (README.md): a meter that behaves, a
download, answers in pieces, a block answer after its time-out, an unplug in the middle of a
download, and frames and noise around the answers. The fuzzer starts from them.
"""

from pathlib import Path

ANSWER, REPEAT, DELIVER, NOISE, FRAME, STRAY, ADVANCE, TIMEOUT, READ, TAB, UNPLUG, REPLUG, LINE_EVENT = range(13)


def advance(ms):
    """Time passing: 1 to 128 ms exactly, longer spans in steps of 25 ms."""
    if ms <= 128:
        return [ADVANCE, ms - 1]
    steps = []
    while ms > 0:
        chunk = min(ms, 128 * 25)
        steps += [ADVANCE, 127 + max(1, chunk // 25)]
        ms -= chunk
    return steps


def answer(back=0, block_records=0):
    """The right answer to the request heard `back` before the last; a block of `block_records`."""
    return [ANSWER, back + 4 * block_records]


def deliver(count=0, late=0, early=False):
    return [DELIVER, count, late | (0x80 if early else 0)]


def answered(back=0):
    """The right answer, whole, 5 ms on."""
    return advance(5) + answer(back) + deliver()


# What the ports other than the meter's are: two bits a port, in port order.
NO_DEVICE, SILENT, REFUSED, IN_USE = range(4)


def header(records, two_byte_count=True, meter_port=1, other_ports=(NO_DEVICE, NO_DEVICE, NO_DEVICE)):
    others = sum(outcome << (2 * index) for index, outcome in enumerate(other_ports))
    return [records, 1 if two_byte_count else 0, meter_port - 1, others]


# The first discovery tick probes port 1; the next one ends discovery.
FIND_METER = advance(600) + answered() + advance(600)
RECORD_VIEW = [TAB, 0]
REALTIME_VIEW = [TAB, 1]


def download(blocks):
    """Read, the count request on the next tick of the wait, then each block answered at once."""
    events = [READ] + advance(30) + answered()
    for _ in range(blocks):
        events += answered()
    return events


def polls(count):
    events = []
    for _ in range(count):
        events += advance(1500) + answered()
    return events


SEEDS = {
    # The meter on port 3, behind a port with nothing behind it and one this user may not open.
    "third-port": header(7, meter_port=3, other_ports=(SILENT, REFUSED, NO_DEVICE)) + advance(600 * 3)
    + answered() + advance(600) + polls(2),
    "polling": header(7) + FIND_METER + REALTIME_VIEW + polls(3) + RECORD_VIEW + polls(2),
    "download": header(7) + FIND_METER + RECORD_VIEW + download(3) + polls(1),
    "download-one-byte-count": header(4, False) + FIND_METER + RECORD_VIEW + download(2),
    "no-records": header(0) + FIND_METER + RECORD_VIEW + download(0) + polls(1),
    # A realtime answer in pieces, some landing while the rest is taken; a block in USB packets.
    "pieces": header(7) + FIND_METER + REALTIME_VIEW + advance(1500) + answer()
    + deliver(3) + advance(16) + deliver(2) + advance(16) + deliver(20, late=5) + advance(16) + deliver()
    + RECORD_VIEW + [READ] + advance(30) + answered() + advance(5) + answer()
    + deliver(62) + advance(16) + deliver(40) + advance(16) + deliver(),
    # The second block comes after its request timed out, and Read follows at once.
    "late-block": header(7) + FIND_METER + RECORD_VIEW + [READ] + advance(30) + answered() + answered()
    + [TIMEOUT] + [READ] + advance(30) + answer() + deliver() + advance(1500) + answered() + answered()
    + answered() + answered(),
    # The adapter is pulled out with half a block read, and plugged in again.
    "unplug": header(7) + FIND_METER + RECORD_VIEW + [READ] + advance(30) + answered() + advance(5) + answer()
    + deliver(50) + [UNPLUG] + [TIMEOUT] + [REPLUG] + advance(1500) + answered()
    # The download waits until the line has been quiet since the poll's answer.
    + [READ] + advance(1530) + answered() + answered() + answered() + answered(),
    # Read again while the download runs.
    "read-twice": header(7) + FIND_METER + RECORD_VIEW + [READ] + advance(30) + answered() + answered() + [READ]
    + answered() + answered() + polls(1),
    # The first block's answer twice, the copy once the second block has been asked for; the
    # second block is asked for again once the line is quiet.
    "block-copy": header(7) + FIND_METER + RECORD_VIEW + [READ] + advance(30) + answered() + answered() + [REPEAT]
    + deliver() + advance(1530) + answered() + answered() + polls(1),
    # A block shorter than asked for, reported before the threshold as at a hang-up, and a last
    # block with more records than asked for.
    "block-sizes": header(7) + FIND_METER + RECORD_VIEW + [READ] + advance(30) + answered() + advance(5)
    + answer(block_records=1) + deliver(early=True) + answered() + advance(5) + answer(block_records=3)
    + deliver(),
    # A notice, a bad checksum and a stray start byte ahead of answers, and a repeated answer.
    "frames-ahead": header(7) + FIND_METER + REALTIME_VIEW + advance(1500)
    + [FRAME, 0, 0, 2, 0x30, 0x31] + [FRAME, 5, 2, 32] + [0x20] * 32 + [STRAY, 2, 0x00, 0x40]
    + answer() + deliver() + [REPEAT] + deliver() + [NOISE, 9] + [0x00] * 10 + polls(1),
}


def main():
    corpus = Path(__file__).resolve().parent / "corpus"
    corpus.mkdir(exist_ok=True)
    for name, events in SEEDS.items():
        (corpus / name).write_bytes(bytes(events))


if __name__ == "__main__":
    main()
