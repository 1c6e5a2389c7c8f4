#!/usr/bin/env python3
"""A local HTTPS rate service for tests.

    python3 rates_server.py --cert CERT --key KEY [--port N] [--log FILE] [--exit-with-parent]

Prints the port it listens on (alone, on the first line of stdout) once it accepts connections.
With --log, appends the path of every request to FILE, one per line. With --exit-with-parent it
stops by itself once the process that started it is gone, so a test program that crashes leaves
no server behind.

Any path ending in /v4/latest/USD is answered by the scenario its prefix names:
  (none)            200, a good reply
  /error-json/      500, {"result":"error"}
  /empty/           200, empty body
  /html/            200, an HTML page
  /array/           200, [1,2]
  /fragment/        200, a bare JSON number
  /quoted/          200, "EUR" as a quoted number among numbers
  /integers/        200, "JPY" as the integer 150
  /usd-off/         200, "USD" as 1.02
  /no-usd/          200, no "USD" entry
  /no-inr/          200, no "INR" entry
  /no-rates/        200, an object without "rates"
  /rates-array/     200, "rates" as an array
  /hang/            accepts, never answers, holds the connection until the server stops
  /cut/             Content-Length larger than what is sent, then the connection closes
  /trickle/         200, a good reply sent a byte at a time, one every 0.2 s (about a minute)
  /big/             a valid reply of more than 4 MiB
  /almost-big/      a valid reply just under 4 MiB
  /redirect/        302 to the good reply over https
  /redirect-http/   302 to the good reply over plain http
Any path ending in /v1/currencies/usd.min.json is the second service: a real reply of it (the
one kept under tests/data), or with the prefix /html/ an HTML page.
Anything else is 404.
"""

import argparse
import http.server
import json
import os
import signal
import socketserver
import ssl
import sys
import threading

GOOD_RATES = {
    "USD": 1,
    "EUR": 0.92,
    "INR": 83.12,
    "GBP": 0.79,
    "JPY": 149.5,
    "CAD": 1.36,
    "AUD": 1.52,
    "CHF": 0.88,
    "CNY": 7.24,
    "MXN": 17.1,
    "SEK": 10.45,
}

SUFFIX = "/v4/latest/USD"
FALLBACK_SUFFIX = "/v1/currencies/usd.min.json"
FALLBACK_REPLY = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data",
                              "currency_api_usd.min.json")
MIB = 1024 * 1024

stopping = threading.Event()


def reply_with(rates, **extra):
    body = {"base": "USD", "date": "2024-01-01", "time_last_updated": 1704067200}
    body.update(extra)
    body["rates"] = rates
    return json.dumps(body).encode()


def padded_reply(total_bytes):
    head = b'{"rates":{"USD":1,"EUR":0.92,"INR":83.12},"padding":"'
    tail = b'"}'
    return head + b"x" * (total_bytes - len(head) - len(tail)) + tail


def without(code):
    return {k: v for k, v in GOOD_RATES.items() if k != code}


FIXED = {
    "": (200, "application/json", lambda: reply_with(GOOD_RATES)),
    "/error-json": (500, "application/json", lambda: b'{"result":"error","error-type":"unknown"}'),
    "/empty": (200, "application/json", lambda: b""),
    "/html": (200, "text/html", lambda: b"<html><body><h1>Service unavailable</h1></body></html>"),
    "/array": (200, "application/json", lambda: b"[1,2]"),
    "/fragment": (200, "application/json", lambda: b"42"),
    "/quoted": (200, "application/json",
                lambda: reply_with(dict(GOOD_RATES, EUR="0.92"))),
    "/integers": (200, "application/json", lambda: reply_with(dict(GOOD_RATES, JPY=150))),
    "/usd-off": (200, "application/json", lambda: reply_with(dict(GOOD_RATES, USD=1.02))),
    "/no-usd": (200, "application/json", lambda: reply_with(without("USD"))),
    "/no-inr": (200, "application/json", lambda: reply_with(without("INR"))),
    "/no-rates": (200, "application/json", lambda: b'{"result":"success","base":"USD"}'),
    "/rates-array": (200, "application/json", lambda: b'{"rates":[1,2]}'),
    "/big": (200, "application/json", lambda: padded_reply(4 * MIB + 4096)),
    "/almost-big": (200, "application/json", lambda: padded_reply(4 * MIB - 4096)),
}


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    # Headers and body go out in separate writes; without this each reply waits on a delayed ACK.
    disable_nagle_algorithm = True

    def log_message(self, format, *args):  # noqa: A002 - the base class's name
        pass

    def do_GET(self):  # noqa: N802 - the base class's name
        log = self.server.request_log
        if log is not None:
            with self.server.log_lock:
                log.write(self.path + "\n")
                log.flush()

        if self.path.endswith(FALLBACK_SUFFIX):
            if self.path == FALLBACK_SUFFIX:
                with open(FALLBACK_REPLY, "rb") as reply:
                    self.send_body(200, "application/json", reply.read())
            else:
                self.send_body(200, "text/html", b"<html><body>503</body></html>")
            return
        if not self.path.endswith(SUFFIX):
            self.send_body(404, "text/plain", b"not found")
            return
        scenario = self.path[: -len(SUFFIX)]
        port = self.server.server_address[1]

        if scenario in FIXED:
            status, kind, make = FIXED[scenario]
            self.send_body(status, kind, make())
        elif scenario == "/hang":
            stopping.wait()
            self.close_connection = True
        elif scenario == "/cut":
            body = reply_with(GOOD_RATES)
            self.send_response(200)
            self.send_header("Content-Type", "application/json")
            self.send_header("Content-Length", str(len(body) + 1000))
            self.end_headers()
            self.wfile.write(body[: len(body) // 2])
            self.wfile.flush()
            self.close_connection = True
        elif scenario == "/trickle":
            body = reply_with(GOOD_RATES)
            self.send_response(200)
            self.send_header("Content-Type", "application/json")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.flush()
            for i in range(len(body)):
                if stopping.wait(0.2):
                    break
                self.wfile.write(body[i : i + 1])
                self.wfile.flush()
            self.close_connection = True
        elif scenario == "/redirect":
            self.redirect(f"https://127.0.0.1:{port}{SUFFIX}")
        elif scenario == "/redirect-http":
            self.redirect(f"http://127.0.0.1:{port}{SUFFIX}")
        else:
            self.send_body(404, "text/plain", b"not found")

    def redirect(self, location):
        self.send_response(302)
        self.send_header("Location", location)
        self.send_header("Content-Length", "0")
        self.end_headers()

    def send_body(self, status, kind, body):
        self.send_response(status)
        self.send_header("Content-Type", kind)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, address, context, request_log):
        super().__init__(address, Handler)
        self.context = context
        self.request_log = request_log
        self.log_lock = threading.Lock()

    def finish_request(self, request, client_address):
        # The handshake runs on the connection's own thread, so a client that never finishes it
        # (or refuses our certificate) holds up nobody else.
        try:
            request = self.context.wrap_socket(request, server_side=True)
        except (ssl.SSLError, OSError):
            return
        super().finish_request(request, client_address)

    def handle_error(self, request, client_address):
        # Clients that abandon a transfer (size limit, time-out, shutdown) are expected here.
        pass


def main():
    parser = argparse.ArgumentParser(description="Local HTTPS rate service for tests.")
    parser.add_argument("--cert", required=True)
    parser.add_argument("--key", required=True)
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--log")
    parser.add_argument("--exit-with-parent", action="store_true")
    args = parser.parse_args()

    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(args.cert, args.key)
    request_log = open(args.log, "a", encoding="utf-8") if args.log else None

    server = Server(("127.0.0.1", args.port), context, request_log)

    def stop(signum, frame):
        stopping.set()
        raise SystemExit(0)

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)

    if args.exit_with_parent:
        parent = os.getppid()

        def watch_parent():
            while not stopping.wait(0.2):
                if os.getppid() != parent:
                    os.kill(os.getpid(), signal.SIGTERM)
                    return

        threading.Thread(target=watch_parent, daemon=True).start()

    print(server.server_address[1], flush=True)
    try:
        server.serve_forever()
    except SystemExit:
        pass
    finally:
        stopping.set()
        server.server_close()
    sys.exit(0)


if __name__ == "__main__":
    main()
