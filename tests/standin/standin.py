#!/usr/bin/env python3
"""A stand-in for the online accounting service, for tests, benchmarks and the demo.

Serves HTTPS on 127.0.0.1 (standard library only):

  POST /api/service.asmx           the SOAP endpoint; SageFile answers per the mode
  GET  /processSageImport.asp?id=N the import page: the tables that arrived
  GET  /_imports/N.json            the same as JSON (for tests)
  GET  /_control?mode=M[&reply=T]  changes the mode at run time (also POST)

Modes:
  accept        answer a new import identifier (1, 2, ...; or --reply TEXT)
  refuse        answer "0"
  fault         HTTP 500 with a SOAP fault
  404           HTTP 404 Not Found
  html          HTTP 200 with Content-Type text/html
  html-charset  HTTP 200, "text/html; charset=utf-8", and an accepted SOAP answer
  stall         read the request, then never answer (until --stall-seconds)
  drop          read the request, then close the connection without an answer
  body          HTTP 200, text/xml, with the bytes of --body-file as the whole reply
  drip          HTTP 200, text/xml, an accepted answer sent one byte a second

The chosen port is printed on stdout as the first line. Every request to the
endpoint is recorded in --record-dir as request-N.json (request line, headers
in order, client port, mode), request-N.headers (the request line and the
header lines as received, CR LF) and request-N.body (the body's bytes). An
accepted archive is kept as import-N.zip (N: the request's number) with
import-N.json (identifier, reference, archive size and whether the base64
text had CR LF after every 76 characters); it is unpacked with zipfile and
its tables are read with csv only when the import page asks, so the answer
is not delayed by the size of the archive.

The mode can also come from --mode-file FILE: when that file exists and is
not empty, its first word is the mode for the next request.
"""

import argparse
import base64
import csv
import html
import io
import json
import os
import re
import signal
import socket
import ssl
import sys
import threading
import time
import urllib.parse
import xml.etree.ElementTree as ET
import zipfile
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

SOAP_ENV = "http://schemas.xmlsoap.org/soap/envelope/"
SERVICE_NS = "VureDevu"
MODES = ("accept", "refuse", "fault", "404", "html", "html-charset", "stall", "drop", "body",
         "drip")


def soap_answer(result):
    return (
        '<?xml version="1.0" encoding="utf-8"?>'
        '<soap:Envelope xmlns:soap="http://schemas.xmlsoap.org/soap/envelope/" '
        'xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance" '
        'xmlns:xsd="http://www.w3.org/2001/XMLSchema">'
        "<soap:Body><SageFileResponse xmlns=\"VureDevu\">"
        f"<SageFileResult>{html.escape(result, quote=False)}</SageFileResult>"
        "</SageFileResponse></soap:Body></soap:Envelope>"
    ).encode("utf-8")


def soap_fault(text, code="soap:Server"):
    return (
        '<?xml version="1.0" encoding="utf-8"?>'
        '<soap:Envelope xmlns:soap="http://schemas.xmlsoap.org/soap/envelope/">'
        f"<soap:Body><soap:Fault><faultcode>{code}</faultcode>"
        f"<faultstring>{html.escape(text, quote=False)}</faultstring>"
        "<detail /></soap:Fault></soap:Body></soap:Envelope>"
    ).encode("utf-8")


def analyse_request(body):
    """Reads a SageFile request independently of the client: the reference,
    the base64 layout and the archive's bytes."""
    root = ET.fromstring(body)
    if root.tag != f"{{{SOAP_ENV}}}Envelope":
        raise ValueError(f"document element {root.tag}")
    call = root.find(f"{{{SOAP_ENV}}}Body/{{{SERVICE_NS}}}SageFile")
    if call is None:
        raise ValueError("no SageFile element in the body")
    buffer = call.find(f"{{{SERVICE_NS}}}buffer")
    reference = call.find(f"{{{SERVICE_NS}}}reference")
    text = (buffer.text or "") if buffer is not None else ""
    # The parser turns CR LF into LF, so the layout is checked on the raw
    # bytes: CR LF after every 76 characters, also after the last full line.
    start = body.find(b"<buffer>")
    end = body.find(b"</buffer>", start)
    raw = body[start + len(b"<buffer>"):end] if start >= 0 and end >= 0 else b""
    lines = raw.split(b"\r\n")
    layout_ok = all(len(line) == 76 for line in lines[:-1]) and len(lines[-1]) < 76 \
        and b"\n" not in lines[-1]
    data = base64.b64decode(text.replace("\n", ""), validate=True)
    return {
        "reference": (reference.text or "") if reference is not None else None,
        "base64_layout_ok": layout_ok,
        "archive_size": len(data),
    }, data


def analyse_archive(data):
    tables = []
    with zipfile.ZipFile(io.BytesIO(data)) as archive:
        for info in archive.infolist():
            raw = archive.read(info)
            text = raw.decode("cp1252", errors="replace")
            rows = list(csv.reader(io.StringIO(text, newline="")))
            tables.append({
                "name": info.filename,
                "size": len(raw),
                "compress_type": info.compress_type,
                "crlf_lines": raw.count(b"\r\n"),
                "lines": len(rows),
                "first_lines": [",".join(row) for row in rows[:3]],
                "columns": [len(row) for row in rows[:3]],
            })
    return tables


class State:
    def __init__(self, args):
        self.lock = threading.Lock()
        self.mode = args.mode
        self.reply = args.reply
        self.mode_file = args.mode_file
        self.record_dir = args.record_dir
        self.stall_seconds = args.stall_seconds
        self.body_file = args.body_file
        self.next_request = 1
        self.next_id = args.first_id
        self.imports = {}  # id -> {"request": n, "analysis": ..., "archive": path or bytes}

    def current_mode(self):
        if self.mode_file and os.path.exists(self.mode_file):
            with open(self.mode_file, encoding="utf-8") as f:
                words = f.read().split()
            if words:
                return words[0]
        return self.mode


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "StandIn/1.0"

    def log_message(self, fmt, *args):
        if self.server.verbose:
            sys.stderr.write("standin: " + (fmt % args) + "\n")

    def send_bytes(self, status, content_type, body, reason=None):
        self.send_response(status, reason)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    # ---- control and pages ---------------------------------------------

    def do_GET(self):
        url = urllib.parse.urlsplit(self.path)
        query = urllib.parse.parse_qs(url.query)
        if url.path == "/_control":
            return self.control(query)
        if url.path == "/processSageImport.asp":
            return self.import_page(query.get("id", [""])[0])
        m = re.fullmatch(r"/_imports/(.+)\.json", url.path)
        if m:
            info = self.import_info(urllib.parse.unquote(m.group(1)))
            if info is None:
                return self.send_bytes(404, "application/json", b"{}")
            return self.send_bytes(200, "application/json",
                                   json.dumps(info, indent=1).encode("utf-8"))
        self.send_bytes(404, "text/html", b"<html><body>Not Found</body></html>")

    def control(self, query):
        state = self.server.state
        mode = query.get("mode", [None])[0]
        if mode is not None and mode not in MODES:
            return self.send_bytes(400, "text/plain", f"unknown mode {mode}\n".encode())
        with state.lock:
            if mode is not None:
                state.mode = mode
            if "reply" in query:
                state.reply = query["reply"][0]
            text = f"mode {state.mode}\n"
        self.send_bytes(200, "text/plain", text.encode())

    def import_info(self, import_id):
        state = self.server.state
        with state.lock:
            entry = state.imports.get(import_id)
        if entry is None:
            return None
        if "tables" not in entry:
            try:
                entry["tables"] = analyse_archive(entry.pop("archive"))
            except Exception as e:  # not a zip archive, or a broken one
                entry["tables"] = []
                entry["error"] = f"{type(e).__name__}: {e}"
        return entry

    def import_page(self, import_id):
        info = self.import_info(import_id)
        if info is None:
            body = f"<html><body><h1>No import {html.escape(import_id)}</h1></body></html>"
            return self.send_bytes(404, "text/html; charset=utf-8", body.encode("utf-8"))
        parts = [f"<html><head><title>Import {html.escape(import_id)}</title></head><body>",
                 f"<h1>Import {html.escape(import_id)}</h1>",
                 f"<p>Reference: {html.escape(str(info.get('reference')))}; archive of "
                 f"{info.get('archive_size')} bytes; {len(info['tables'])} tables</p>"]
        if "error" in info:
            parts.append(f"<p class=\"error\">{html.escape(info['error'])}</p>")
        parts.append("<table><tr><th>Table</th><th>Lines</th><th>First lines</th></tr>")
        for t in info["tables"]:
            first = "<br>".join(html.escape(line) for line in t["first_lines"])
            parts.append(f"<tr><td>{html.escape(t['name'])}</td><td>{t['lines']}</td>"
                         f"<td>{first}</td></tr>")
        parts.append("</table></body></html>")
        self.send_bytes(200, "text/html; charset=utf-8", "".join(parts).encode("utf-8"))

    # ---- the endpoint --------------------------------------------------

    def do_POST(self):
        url = urllib.parse.urlsplit(self.path)
        if url.path == "/_control":
            return self.control(urllib.parse.parse_qs(url.query))
        state = self.server.state
        length = self.headers.get("Content-Length")
        if length is None:
            # A body without a length (chunked) is refused: the client must
            # announce its size.
            self.close_connection = True
            return self.send_bytes(411, "text/html", b"<html>Length Required</html>")
        body = self.read_body(int(length))
        with state.lock:
            number = state.next_request
            state.next_request += 1
            mode = state.current_mode()
            reply = state.reply
        self.record(number, mode, body)

        if url.path != "/api/service.asmx":
            return self.send_bytes(404, "text/html", b"<html><body>Not Found</body></html>")
        if mode == "drop":
            self.close_connection = True
            self.connection.shutdown(socket.SHUT_RDWR)
            return
        if mode == "stall":
            time.sleep(state.stall_seconds)
            self.close_connection = True
            return
        if mode == "body":
            with open(state.body_file, "rb") as f:
                return self.send_bytes(200, "text/xml; charset=utf-8", f.read())
        if mode == "drip":
            answer = soap_answer("1")
            self.send_response(200)
            self.send_header("Content-Type", "text/xml; charset=utf-8")
            self.send_header("Content-Length", str(len(answer)))
            self.end_headers()
            for i in range(len(answer)):
                self.wfile.write(answer[i:i + 1])
                self.wfile.flush()
                time.sleep(1)
            return
        if mode == "404":
            return self.send_bytes(404, "text/html",
                                   b"<html><body><h1>Not Found</h1></body></html>")
        if mode == "html":
            return self.send_bytes(200, "text/html", b"<html><body>Service page</body></html>")
        if mode == "fault":
            return self.send_bytes(500, "text/xml; charset=utf-8",
                                   soap_fault("Server was unable to process request. ---> "
                                              "The import could not be started"))
        if b"<SageFile" not in body[:4096]:
            return self.send_bytes(500, "text/xml; charset=utf-8",
                                   soap_fault("Server did not recognize the request"))
        if mode == "refuse":
            return self.send_bytes(200, "text/xml; charset=utf-8", soap_answer("0"))
        with state.lock:
            import_id = reply if reply is not None else str(state.next_id)
            state.next_id += 1
        try:
            analysis, data = analyse_request(body)
        except Exception as e:
            return self.send_bytes(500, "text/xml; charset=utf-8",
                                   soap_fault(f"Server was unable to read request. ---> {e}"))
        analysis["request"] = number
        analysis["archive"] = data
        if state.record_dir:
            with open(os.path.join(state.record_dir, f"import-{number}.zip"), "wb") as f:
                f.write(data)
            summary = {k: v for k, v in analysis.items() if k != "archive"}
            summary["id"] = import_id
            with open(os.path.join(state.record_dir, f"import-{number}.json"), "w",
                      encoding="utf-8") as f:
                json.dump(summary, f, indent=1)
        with state.lock:
            state.imports[import_id] = analysis
        content_type = "text/html; charset=utf-8" if mode == "html-charset" else \
            "text/xml; charset=utf-8"
        self.send_bytes(200, content_type, soap_answer(import_id))

    def read_body(self, length):
        body = bytearray(length)
        view = memoryview(body)
        got = 0
        while got < length:
            n = self.rfile.readinto(view[got:])
            if not n:
                break
            got += n
        return bytes(view[:got])

    def record(self, number, mode, body):
        state = self.server.state
        if not state.record_dir:
            return
        info = {
            "number": number,
            "mode": mode,
            "request_line": self.requestline,
            "headers": [[k, v] for k, v in self.headers.items()],
            "client_port": self.client_address[1],
            "body_size": len(body),
        }
        base = os.path.join(state.record_dir, f"request-{number}")
        with open(base + ".body", "wb") as f:
            f.write(body)
        with open(base + ".headers", "w", encoding="utf-8", newline="") as f:
            f.write(self.requestline + "\r\n")
            f.write("".join(f"{k}: {v}\r\n" for k, v in self.headers.items()))
        with open(base + ".json.tmp", "w", encoding="utf-8") as f:
            json.dump(info, f, indent=1)
        os.replace(base + ".json.tmp", base + ".json")


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def handle_error(self, request, client_address):
        # Clients that reject the certificate or vanish are part of the tests.
        if self.verbose:
            super().handle_error(request, client_address)


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=0, help="0 chooses a free port")
    parser.add_argument("--cert-dir", required=True,
                        help="directory with server.pem and server.key (make-ca.sh)")
    parser.add_argument("--record-dir", help="where requests and archives are recorded")
    parser.add_argument("--mode", default="accept", choices=MODES)
    parser.add_argument("--mode-file", help="a file whose first word, when present, is the mode")
    parser.add_argument("--reply", help="the identifier that accept answers (default: 1, 2, ...)")
    parser.add_argument("--first-id", type=int, default=1)
    parser.add_argument("--stall-seconds", type=float, default=3600)
    parser.add_argument("--body-file", help="the reply of the mode body")
    parser.add_argument("--verbose", action="store_true")
    args = parser.parse_args()

    if args.record_dir:
        os.makedirs(args.record_dir, exist_ok=True)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(os.path.join(args.cert_dir, "server.pem"),
                            os.path.join(args.cert_dir, "server.key"))
    server = Server((args.host, args.port), Handler)
    # The handshake runs in the request's thread, so a slow client cannot
    # hold up the others.
    server.socket = context.wrap_socket(server.socket, server_side=True,
                                        do_handshake_on_connect=False)
    server.state = State(args)
    server.verbose = args.verbose

    def stop(signum, frame):
        threading.Thread(target=server.shutdown, daemon=True).start()

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    print(server.server_address[1], flush=True)
    server.serve_forever(poll_interval=0.1)
    server.server_close()


if __name__ == "__main__":
    main()
