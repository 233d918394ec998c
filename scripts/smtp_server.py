#!/usr/bin/python3
"""A small SMTP server for tests and local runs, on 127.0.0.1.

Every message received is stored in --dir as NNNN.eml (the bytes as they
arrived) beside NNNN.envelope (lines "mail_from: ...", "rcpt_to: ..." once
per recipient, "mail_options: ...", "tls: ..." (the TLS version or "none"),
"sni: ..." (the server name the client asked for under TLS, or empty),
"login: ..." (the user logged in, or empty) and "helo: ...").

Usage: smtp_server.py --dir FOLDER [--port N] [--port-file FILE] [--starttls]
       [--require-starttls] [--tls13-only] [--auth USER:PASSWORD]
       [--auth-without-tls] [--pipelining] [--refuse ADDRESS]... [--refuse-data]

--port 0 (the default) takes a free port; the port is printed on standard
output and, with --port-file, written to that file once the server listens.
STARTTLS uses a throw-away certificate made with openssl at start.
"""
import argparse
import asyncio
import itertools
import logging
import os
import signal
import socket
import ssl
import subprocess
import sys

from aiosmtpd.smtp import SMTP


def write_atomically(path, data):
    temporary = path + ".part"
    with open(temporary, "wb") as f:
        f.write(data)
    os.replace(temporary, path)


class Handler:
    def __init__(self, folder, refused, pipelining, refuse_data=False):
        self.folder = folder
        self.refused = {address.lower() for address in refused}
        self.refuse_data = refuse_data
        self.pipelining = pipelining
        self.counter = itertools.count(1)

    async def handle_EHLO(self, server, session, envelope, hostname, responses):
        session.host_name = hostname
        if self.pipelining:
            responses.insert(len(responses) - 1, "250-PIPELINING")
        return responses

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.lower() in self.refused:
            return "550 5.1.1 <%s>: recipient refused" % address
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        if self.refuse_data:
            return "554 5.6.0 message refused"
        number = "%04d" % next(self.counter)
        tls = "none"
        sni = ""
        ssl_object = server.transport.get_extra_info("ssl_object") if server.transport else None
        if ssl_object is not None:
            tls = ssl_object.version()
            sni = getattr(ssl_object, "server_name_seen", None) or ""
        login = ""
        if session.authenticated and session.auth_data is not None:
            login = session.auth_data.login.decode("utf-8", "replace")
        lines = ["mail_from: " + (envelope.mail_from or "")]
        lines += ["rcpt_to: " + r for r in envelope.rcpt_tos]
        lines += ["mail_options: " + " ".join(envelope.mail_options or []),
                  "tls: " + tls, "sni: " + sni, "login: " + login, "helo: " + (session.host_name or "")]
        write_atomically(os.path.join(self.folder, number + ".eml"), envelope.original_content)
        write_atomically(os.path.join(self.folder, number + ".envelope"), ("\n".join(lines) + "\n").encode())
        return "250 2.0.0 Message accepted"


def make_tls_context(folder, tls13_only):
    certificate = os.path.join(folder, "server-cert.pem")
    key = os.path.join(folder, "server-key.pem")
    subprocess.run(
        ["openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
         "-keyout", key, "-out", certificate, "-days", "2", "-subj", "/CN=localhost"],
        check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(certificate, key)
    if tls13_only:
        context.minimum_version = ssl.TLSVersion.TLSv1_3

    def remember_server_name(ssl_object, server_name, _context):
        ssl_object.server_name_seen = server_name

    context.sni_callback = remember_server_name
    return context


def main():
    parser = argparse.ArgumentParser(description="SMTP server for tests, storing every message as a file.")
    parser.add_argument("--dir", required=True, help="folder for the received messages")
    parser.add_argument("--port", type=int, default=0, help="port on 127.0.0.1 (0: a free one)")
    parser.add_argument("--port-file", help="file that receives the port once the server listens")
    parser.add_argument("--starttls", action="store_true", help="offer STARTTLS")
    parser.add_argument("--require-starttls", action="store_true", help="refuse mail before STARTTLS")
    parser.add_argument("--tls13-only", action="store_true", help="accept TLS 1.3 only")
    parser.add_argument("--auth", metavar="USER:PASSWORD", help="offer AUTH LOGIN for this user")
    parser.add_argument("--auth-without-tls", action="store_true", help="allow AUTH before STARTTLS")
    parser.add_argument("--pipelining", action="store_true", help="announce PIPELINING")
    parser.add_argument("--refuse", action="append", default=[], metavar="ADDRESS",
                        help="refuse this recipient with 550")
    parser.add_argument("--refuse-data", action="store_true", help="refuse every message after its data with 554")
    args = parser.parse_args()

    logging.basicConfig(level=logging.ERROR)
    os.makedirs(args.dir, exist_ok=True)
    tls_context = make_tls_context(args.dir, args.tls13_only) if (args.starttls or args.require_starttls) else None

    user = password = None
    if args.auth:
        user, _, password = args.auth.partition(":")

    def check_login(mechanism, login, given_password):
        return user is not None and login == user.encode() and given_password == password.encode()

    handler = Handler(args.dir, args.refuse, args.pipelining, args.refuse_data)
    loop = asyncio.new_event_loop()
    asyncio.set_event_loop(loop)

    def session():
        return SMTP(handler, hostname="localhost", tls_context=tls_context,
                    require_starttls=args.require_starttls, auth_require_tls=not args.auth_without_tls,
                    auth_callback=check_login,
                    auth_exclude_mechanism=["PLAIN"] if args.auth else ["PLAIN", "LOGIN"], loop=loop)

    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", args.port))
    listener.listen(64)
    server = loop.run_until_complete(loop.create_server(session, sock=listener))
    port = listener.getsockname()[1]
    for sig in (signal.SIGTERM, signal.SIGINT):
        loop.add_signal_handler(sig, loop.stop)
    if args.port_file:
        write_atomically(args.port_file, ("%d\n" % port).encode())
    print(port, flush=True)
    try:
        loop.run_forever()
    finally:
        server.close()
        loop.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
