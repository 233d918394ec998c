#!/usr/bin/python3
"""HTTP server for tests: Python's own http.server as a foreign peer of our
HTTP client, plain or over TLS, on a free port of 127.0.0.1.

Answers every method:
  /echo...            200 with a JSON description of the request (method,
                      target, header fields in order, body length and MD5)
  /status/CODE        CODE with the reason "Peer Reason CODE" and a short body
  /redirect?to=PATH   302 to PATH
  /cookie/set         200 setting the cookie "vxpeer=42"
  /fields             200 with the fields X-One, X-Multi twice, X-Empty (empty)
  /bytes/N            200 with N bytes of a fixed pattern
  /slow/MS            waits MS milliseconds before its header
The port is written to the file given with --port-file once the server listens.
"""

import argparse
import hashlib
import http.server
import json
import os
import ssl
import sys
import time
import urllib.parse


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, format, *args):
        pass

    def __getattr__(self, name):
        # do_GET, do_PROPFIND, ...: every method is served the same way.
        if name.startswith("do_"):
            return self.serve
        raise AttributeError(name)

    def read_body(self):
        if self.headers.get("Transfer-Encoding", "").lower() == "chunked":
            body = b""
            while True:
                size = int(self.rfile.readline().split(b";")[0].strip(), 16)
                if size == 0:
                    while self.rfile.readline() not in (b"\r\n", b"\n", b""):
                        pass
                    return body
                body += self.rfile.read(size)
                self.rfile.readline()
        length = int(self.headers.get("Content-Length", "0") or "0")
        return self.rfile.read(length) if length > 0 else b""

    def answer(self, code, body, fields=(), reason=None, content_type="text/plain"):
        self.send_response(code, reason)
        self.send_header("Content-Type", content_type)
        for name, value in fields:
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def serve(self):
        body = self.read_body()
        url = urllib.parse.urlsplit(self.path)
        parts = url.path.split("/")
        if url.path.startswith("/echo"):
            description = {
                "method": self.command,
                "target": self.path,
                "headers": [[name, value] for name, value in self.headers.items()],
                "body_length": len(body),
                "body_md5": hashlib.md5(body).hexdigest(),
                "body": body.decode("latin-1") if len(body) <= 4096 else "",
            }
            self.answer(200, json.dumps(description).encode(), content_type="application/json")
        elif len(parts) == 3 and parts[1] == "status":
            code = int(parts[2])
            self.answer(code, b"" if code in (204, 304) else ("status %d" % code).encode(),
                        reason="Peer Reason %d" % code)
        elif url.path == "/redirect":
            target = urllib.parse.parse_qs(url.query).get("to", ["/echo"])[0]
            self.answer(302, b"moved", [("Location", target)])
        elif url.path == "/cookie/set":
            self.answer(200, b"set", [("Set-Cookie", "vxpeer=42; Path=/")])
        elif url.path == "/fields":
            self.answer(200, b"fields", [("X-One", "1"), ("X-Multi", "a"), ("X-Multi", "b"), ("X-Empty", "")])
        elif len(parts) == 3 and parts[1] == "bytes":
            size = int(parts[2])
            pattern = bytes(range(256))
            self.answer(200, (pattern * (size // 256 + 1))[:size], content_type="application/octet-stream")
        elif len(parts) == 3 and parts[1] == "slow":
            time.sleep(int(parts[2]) / 1000.0)
            self.answer(200, b"late")
        else:
            self.answer(404, b"not here")


def main():
    parser = argparse.ArgumentParser(description="HTTP server for tests (Python's http.server).")
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--cert", help="PEM certificate: serve over TLS")
    parser.add_argument("--key", help="PEM key of the certificate")
    args = parser.parse_args()

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    if args.cert:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(args.cert, args.key)
        server.socket = context.wrap_socket(server.socket, server_side=True)
    port_file = args.port_file
    with open(port_file + ".tmp", "w") as f:
        f.write(str(server.server_address[1]))
    os.rename(port_file + ".tmp", port_file)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
