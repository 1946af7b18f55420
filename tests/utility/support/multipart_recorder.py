#!/usr/bin/python3
"""Loopback HTTP server for upload tests.

Prints its port on the first line of standard output, then serves until killed. Every request
is stored as request-N.raw (the bytes as received) and request-N.txt (request line, lengths, and
the multipart body as a real multipart parser reads it; part contents in request-N.partK.bin) in the output directory.

Modes: reply (answer with --status and --body), close-midway (drop the connection after part
of the body), silent (read the whole request, never answer), stall (read the headers, then stop
reading), pause (read the headers, wait 1.5 seconds, then serve as reply).
"""
import argparse
import os
import socket
import sys
import threading
import time

from multipart.multipart import MultipartParser, parse_options_header


def parse_multipart(content_type, body):
    ctype, params = parse_options_header(content_type.encode("latin-1"))
    result = {"content_type": ctype.decode("latin-1"), "parts": [], "error": None}
    boundary = params.get(b"boundary")
    if ctype != b"multipart/form-data" or not boundary:
        result["error"] = "not multipart/form-data with a boundary"
        return result
    result["boundary"] = boundary.decode("latin-1")
    state = {"headers": [], "field": [], "value": [], "data": []}

    def on_part_begin():
        state["headers"] = []
        state["data"] = []

    def on_header_field(data, start, end):
        state["field"].append(data[start:end])

    def on_header_value(data, start, end):
        state["value"].append(data[start:end])

    def on_header_end():
        state["headers"].append((b"".join(state["field"]), b"".join(state["value"])))
        state["field"] = []
        state["value"] = []

    def on_part_data(data, start, end):
        state["data"].append(data[start:end])

    def on_part_end():
        headers = {k.decode("latin-1").lower(): v for k, v in state["headers"]}
        _, disposition = parse_options_header(headers.get("content-disposition", b""))
        content = b"".join(state["data"])
        result["parts"].append({
            "headers": [[k.decode("latin-1"), v.decode("latin-1")] for k, v in state["headers"]],
            "name": disposition.get(b"name", b"").decode("latin-1"),
            "filename": disposition.get(b"filename", b"").decode("latin-1"),
            "size": len(content),
            "content": content,
        })

    def on_end():
        result["complete"] = True

    parser = MultipartParser(boundary, {
        "on_part_begin": on_part_begin, "on_header_field": on_header_field,
        "on_header_value": on_header_value, "on_header_end": on_header_end,
        "on_part_data": on_part_data, "on_part_end": on_part_end, "on_end": on_end,
    })
    try:
        parser.write(body)
        parser.finalize()
    except Exception as error:  # the test reads the reason
        result["error"] = repr(error)
    result.setdefault("complete", False)
    return result


class Recorder:
    def __init__(self, args):
        self.args = args
        self.count = 0
        self.lock = threading.Lock()

    def next_index(self):
        with self.lock:
            self.count += 1
            return self.count

    def serve(self, conn):
        pending = b""
        while True:
            while b"\r\n\r\n" not in pending:
                chunk = conn.recv(65536)
                if not chunk:
                    return
                pending += chunk
            head, pending = pending.split(b"\r\n\r\n", 1)
            lines = head.split(b"\r\n")
            headers = []
            for line in lines[1:]:
                name, _, value = line.partition(b":")
                headers.append([name.decode("latin-1"), value.strip().decode("latin-1")])
            lookup = {k.lower(): v for k, v in headers}
            declared = int(lookup.get("content-length", "0"))
            index = self.next_index()
            if self.args.mode == "stall":
                time.sleep(3600)
                return
            if self.args.mode == "pause":
                time.sleep(1.5)
            if self.args.mode == "close-midway":
                while len(pending) < min(declared, 1024):
                    chunk = conn.recv(1024)
                    if not chunk:
                        break
                    pending += chunk
                # Reset rather than a clean close, as a crashed server would.
                conn.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, b"\x01\x00\x00\x00\x00\x00\x00\x00")
                conn.close()
                return
            while len(pending) < declared:
                chunk = conn.recv(65536)
                if not chunk:
                    break
                pending += chunk
            body, pending = pending[:declared], pending[declared:]
            base = os.path.join(self.args.out, "request-%d" % index)
            with open(base + ".raw", "wb") as raw:
                raw.write(head + b"\r\n\r\n" + body)
            form = parse_multipart(lookup.get("content-type", ""), body)
            # One "key=value" line each; the parts' contents go to files of their own.
            lines_out = ["request_line=" + lines[0].decode("latin-1"),
                         "declared_length=%d" % declared, "body_length=%d" % len(body),
                         "complete=%d" % (1 if form.get("complete") else 0),
                         "error=%s" % (form["error"] or ""), "parts=%d" % len(form["parts"])]
            for number, part in enumerate(form["parts"]):
                lines_out += ["part%d.name=%s" % (number, part["name"]),
                              "part%d.filename=%s" % (number, part["filename"]),
                              "part%d.size=%d" % (number, part["size"])]
                lines_out += ["part%d.header=%s: %s" % (number, k, v) for k, v in part["headers"]]
                with open("%s.part%d.bin" % (base, number), "wb") as content:
                    content.write(part["content"])
            with open(base + ".txt.tmp", "w", encoding="latin-1") as out:
                out.write("\n".join(lines_out) + "\n")
            os.rename(base + ".txt.tmp", base + ".txt")
            if self.args.mode == "silent":
                time.sleep(3600)
                return
            reply = self.args.body.encode("latin-1")
            conn.sendall(b"HTTP/1.1 %d Status\r\nContent-Type: text/html\r\nContent-Length: %d\r\n\r\n"
                         % (self.args.status, len(reply)) + reply)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--out", required=True)
    parser.add_argument("--mode", default="reply")
    parser.add_argument("--status", type=int, default=200)
    parser.add_argument("--body", default="OK")
    args = parser.parse_args()
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(16)
    print(listener.getsockname()[1], flush=True)
    recorder = Recorder(args)
    while True:
        conn, _ = listener.accept()
        threading.Thread(target=lambda c=conn: (recorder.serve(c), c.close()), daemon=True).start()


if __name__ == "__main__":
    sys.exit(main())
