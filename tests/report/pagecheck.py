#!/usr/bin/env python3
"""Checks a migration report's HTML page as a browser shows and prints it.

    pagecheck.py REPORT.html OUT_DIR [--sections N] [--browser PATH]

The page must hold no script and fetch nothing (no http:, https:, // or
file: address in a src, an href or a CSS url()). Headless Chromium then
takes a screenshot (OUT_DIR/report.png) and prints the page on A4
(OUT_DIR/report.pdf): the print must have at least a page per section, the
screenshot more than a blank page's colours. Prints what it found; exits 1
when a check fails.
"""
import argparse
import collections
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

BROWSER_SECONDS = 60

ADDRESS = re.compile(
    r"""(?:\b(?:src|href|srcset|action|data|poster)\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s>]+)))"""
    r"""|(?:url\(\s*(?:"([^"]*)"|'([^']*)'|([^)]*))\s*\))"""
    r"""|(?:@import\s+(?:"([^"]*)"|'([^']*)'))""",
    re.IGNORECASE)
FETCHED = re.compile(r"^\s*(?:https?:|//|file:|ftp:)", re.IGNORECASE)


def page_problems(html):
    problems = []
    if re.search(r"<\s*script\b", html, re.IGNORECASE):
        problems.append("the page holds a <script>")
    if re.search(r"\bon[a-z]+\s*=", html, re.IGNORECASE):
        problems.append("the page holds an event handler attribute (on...=)")
    for match in ADDRESS.finditer(html):
        address = next(g for g in match.groups() if g is not None)
        for part in address.split(","):  # srcset lists several
            if FETCHED.match(part) or part.strip().lower().startswith("javascript:"):
                problems.append(f"the page fetches {part.strip()!r} ({match.group(0)[:60]})")
    return problems


def run_browser(browser, args, seconds=BROWSER_SECONDS):
    profile = tempfile.mkdtemp(prefix="report-browser.")
    try:
        command = [browser, "--headless", "--no-sandbox", "--disable-gpu",
                   "--no-first-run", "--no-default-browser-check", "--disable-extensions",
                   "--disable-background-networking", "--hide-scrollbars",
                   f"--user-data-dir={profile}"] + args
        return subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                              timeout=seconds, check=False)
    finally:
        shutil.rmtree(profile, ignore_errors=True)


def pdf_pages(path):
    if shutil.which("pdfinfo"):
        out = subprocess.run(["pdfinfo", path], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                             timeout=30, check=False).stdout.decode("utf-8", "replace")
        match = re.search(r"^Pages:\s+(\d+)", out, re.MULTILINE)
        if match:
            return int(match.group(1))
    with open(path, "rb") as f:
        return len(re.findall(rb"/Type\s*/Page(?![a-zA-Z])", f.read()))


def png_pixels(path):
    """The pixels of an 8-bit PNG (grey, grey and alpha, RGB or RGBA), as
    tuples; a PNG of another kind raises ValueError."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG file")
    at = 8
    idat = b""
    width = height = depth = kind = interlace = None
    while at < len(data):
        length, name = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if name == b"IHDR":
            width, height, depth, kind, _, _, interlace = struct.unpack(">IIBBBBB", body)
        elif name == b"IDAT":
            idat += body
        elif name == b"IEND":
            break
        at += 12 + length
    channels = {0: 1, 4: 2, 2: 3, 6: 4}.get(kind)
    if depth != 8 or channels is None or interlace:
        raise ValueError(f"a PNG of depth {depth}, colour type {kind}, interlace {interlace}")
    raw = zlib.decompress(idat)
    stride = width * channels
    previous = bytearray(stride)
    pixels = []
    for y in range(height):
        start = y * (stride + 1)
        kind_of_filter = raw[start]
        line = bytearray(raw[start + 1:start + 1 + stride])
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = previous[i]
            corner = previous[i - channels] if i >= channels else 0
            if kind_of_filter == 1:
                line[i] = (line[i] + left) & 0xFF
            elif kind_of_filter == 2:
                line[i] = (line[i] + up) & 0xFF
            elif kind_of_filter == 3:
                line[i] = (line[i] + (left + up) // 2) & 0xFF
            elif kind_of_filter == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                pred = left if pa <= pb and pa <= pc else up if pb <= pc else corner
                line[i] = (line[i] + pred) & 0xFF
        pixels.extend(bytes(line[i:i + channels]) for i in range(0, stride, channels))
        previous = line
    return width, height, pixels


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("html")
    parser.add_argument("out")
    parser.add_argument("--sections", type=int, default=8)
    parser.add_argument("--browser", default="/usr/bin/chromium")
    args = parser.parse_args()

    problems = []
    with open(args.html, encoding="utf-8") as f:
        problems += page_problems(f.read())
    if not os.access(args.browser, os.X_OK):
        print(f"no browser at {args.browser} (scripts/install-deps installs chromium)")
        return 1
    os.makedirs(args.out, exist_ok=True)
    url = "file://" + os.path.abspath(args.html)
    png = os.path.join(args.out, "report.png")
    pdf = os.path.join(args.out, "report.pdf")

    shot = run_browser(args.browser, [f"--screenshot={png}", "--window-size=900,1200", url])
    if not os.path.exists(png):
        problems.append(f"no screenshot (exit {shot.returncode}): "
                        + shot.stderr.decode("utf-8", "replace")[-400:])
    else:
        width, height, pixels = png_pixels(png)
        colours = collections.Counter(pixels)
        share = colours.most_common(1)[0][1] / len(pixels)
        print(f"screenshot: {width}x{height}, {len(colours)} colours, "
              f"{share:.1%} the commonest")
        if len(colours) < 16:
            problems.append(f"the screenshot is all but blank: {len(colours)} colours")
        if share > 0.995:
            problems.append(f"the screenshot is {share:.1%} one colour")

    printed = run_browser(args.browser, [f"--print-to-pdf={pdf}", "--no-pdf-header-footer",
                                         "--print-to-pdf-no-header", url])
    if not os.path.exists(pdf):
        problems.append(f"no PDF (exit {printed.returncode}): "
                        + printed.stderr.decode("utf-8", "replace")[-400:])
    else:
        pages = pdf_pages(pdf)
        print(f"print: {pages} pages")
        if pages < args.sections:
            problems.append(f"the print has {pages} pages, fewer than the {args.sections} "
                            "sections that each start a page")

    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
