#!/usr/bin/python3
"""An HTTP forward proxy on 127.0.0.1 for tests: every request, whatever host its absolute URL
names, is passed to 127.0.0.1:TARGET_PORT with the same method, path, headers and body, and the
answer is passed back. Each request line is appended to LOG as it arrived.
Usage: forward_proxy.py PORT TARGET_PORT LOG
"""
import http.client
import sys
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import urlsplit

PORT, TARGET, LOG = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]


class Forward(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, *args):
        pass

    def forward(self):
        with open(LOG, "a", encoding="utf-8") as log:
            log.write(self.requestline + "\n")
        url = urlsplit(self.path)
        path = url.path + ("?" + url.query if url.query else "")
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length) if length else None
        headers = {k: v for k, v in self.headers.items()
                   if k.lower() not in ("proxy-connection", "connection")}
        upstream = http.client.HTTPConnection("127.0.0.1", TARGET, timeout=30)
        upstream.request(self.command, path, body=body, headers=headers)
        answer = upstream.getresponse()
        data = answer.read()
        self.send_response(answer.status, answer.reason)
        for k, v in answer.getheaders():
            if k.lower() not in ("connection", "transfer-encoding", "content-length"):
                self.send_header(k, v)
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    do_GET = forward
    do_POST = forward


if __name__ == "__main__":
    ThreadingHTTPServer(("127.0.0.1", PORT), Forward).serve_forever()
