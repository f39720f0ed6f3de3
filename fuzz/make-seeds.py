#!/usr/bin/env python3
"""Builds the seed corpus of the fuzz target quillard_fuzz.

Every source file of the golden cases (tests/golden/*.cases) and every
example (examples/*.qld) becomes one seed in the target's input layout: an
option byte, then, when the case has a configuration file, its text and the
separator, then the source.

usage: make-seeds.py OUTDIR [REPO]
"""
import hashlib
import pathlib
import sys

SEPARATOR = b"\n=====\n"
OPTION_BITS = {"h": 0x01, "n": 0x02, "b": 0x04, "B": 0x08, "s": 0x10}
CONF_BIT = 0x20


def option_byte(args):
    bits = 0
    if len(args) == 2 and args[0].startswith("-"):
        for letter in args[0][1:]:
            bits |= OPTION_BITS.get(letter, 0)
    return bits


def cases(path):
    """Yields (args, {input path: bytes}) for each case of a .cases file."""
    args, inputs, current = ["plan"], {}, None
    started = False
    noeol = False

    def close():
        if current is not None and noeol and inputs[current].endswith(b"\n"):
            inputs[current] = inputs[current][:-1]

    for raw in path.read_bytes().splitlines(keepends=True):
        line = raw.rstrip(b"\n")
        if line.startswith(b"### "):
            close()
            if started:
                yield args, inputs
            started, args, inputs, current, noeol = True, ["plan"], {}, None, False
            continue
        if not started:
            continue
        if line.startswith(b"--- "):
            close()
            head = line[4:].decode("utf-8", "replace")
            noeol = head.endswith(" [noeol]")
            if noeol:
                head = head[: -len(" [noeol]")]
            if head.startswith(("expect", "absent")):
                current = None
            else:
                current = head
                inputs[current] = b""
            continue
        if current is not None:
            inputs[current] += raw
        elif line.startswith(b"args: "):
            args = line[6:].decode("utf-8", "replace").split()
    close()
    if started:
        yield args, inputs


def main():
    out = pathlib.Path(sys.argv[1])
    repo = pathlib.Path(sys.argv[2]) if len(sys.argv) > 2 else pathlib.Path(__file__).resolve().parent.parent
    out.mkdir(parents=True, exist_ok=True)
    seeds = []
    for path in sorted((repo / "tests" / "golden").glob("*.cases")):
        for args, inputs in cases(path):
            bits = option_byte(args)
            conf = next((text for name, text in inputs.items() if name.endswith(".quillard")), None)
            for name, text in inputs.items():
                if name.endswith(".quillard"):
                    continue
                if conf is not None:
                    seeds.append(bytes([bits | CONF_BIT]) + conf + SEPARATOR + text)
                else:
                    seeds.append(bytes([bits]) + text)
    for path in sorted((repo / "examples").glob("*.qld")):
        text = path.read_bytes()
        for bits in (0x00, 0x01, 0x02 | 0x08, 0x10):
            seeds.append(bytes([bits]) + text)
    written = 0
    for seed in seeds:
        name = out / hashlib.sha1(seed).hexdigest()
        if not name.exists():
            name.write_bytes(seed)
            written += 1
    print(f"{written} new seeds in {out} ({len(seeds)} made)")


if __name__ == "__main__":
    main()
