#!/usr/bin/python3
"""Starts Linux programs for Windows tests running under Wine.

Wine starts a Linux program from CreateProcess but returns no process handle, so a Windows test
could neither wait for it, read its exit status nor stop it. This launcher runs on the Linux side
on 127.0.0.1, one per test program (wine-run starts it and passes its address in
ZEPH_PEER_LAUNCHER), and takes one JSON request line per connection:

  {"op": "run", "argv": ["<base64>", ...], "input": "<base64>", "limit": seconds}
      runs the program with that input and limit and answers one line
      {"status": n, "out": "<base64>", "err": "<base64>"}: the exit status, 128 + signal, or -1
      when the program outlived its limit and was killed;
  {"op": "start", "argv": ["<base64>", ...], "output": true|false}
      starts a server and answers {"started": pid}; then, with "output", the program's standard
      output and error follow on the connection as they come. The program lives as long as the
      connection: when the test closes its end, or ends, the program's process group is stopped
      (SIGTERM, then SIGKILL) and the launcher closes the connection once it has been reaped.

Arguments and input are bytes (base64): a test may pass text in the host's code page. A request
that cannot be served is answered {"error": "..."}. When the launcher's parent (the
runner script) ends, or the launcher is told to stop, every program it started is stopped too:
nothing outlives the test program.
"""

import base64
import json
import os
import signal
import socket
import subprocess
import sys
import threading
import time

STOP_GRACE = 3.0

children_lock = threading.Lock()
children = set()


def stop_group(process):
    """Stops the program and everything it started; returns once the program is reaped."""
    if process.poll() is None:
        try:
            os.killpg(process.pid, signal.SIGTERM)
        except ProcessLookupError:
            pass
        try:
            process.wait(STOP_GRACE)
        except subprocess.TimeoutExpired:
            pass
    try:
        os.killpg(process.pid, signal.SIGKILL)
    except ProcessLookupError:
        pass
    process.wait()


def status_of(code):
    return 128 - code if code < 0 else code


def spawn(argv, stdin, stdout, stderr):
    process = subprocess.Popen(argv, stdin=stdin, stdout=stdout, stderr=stderr,
                               start_new_session=True)
    with children_lock:
        children.add(process)
    return process


def forget(process):
    with children_lock:
        children.discard(process)


def argv_of(request):
    return [base64.b64decode(a) for a in request["argv"]]


def send_line(connection, message):
    connection.sendall(json.dumps(message).encode() + b"\n")


def run(connection, request):
    data = base64.b64decode(request.get("input", ""))
    limit = float(request.get("limit", 60))
    process = spawn(argv_of(request), subprocess.PIPE, subprocess.PIPE, subprocess.PIPE)
    try:
        out, err = process.communicate(data, timeout=limit)
        status = status_of(process.returncode)
    except subprocess.TimeoutExpired:
        stop_group(process)
        out, err = process.communicate()
        status = -1
    finally:
        forget(process)
    send_line(connection, {"status": status, "out": base64.b64encode(out).decode(),
                           "err": base64.b64encode(err).decode()})


def start(connection, request):
    output = bool(request.get("output", False))
    sink = subprocess.PIPE if output else subprocess.DEVNULL
    process = spawn(argv_of(request), subprocess.DEVNULL, sink,
                    subprocess.STDOUT if output else subprocess.DEVNULL)
    send_line(connection, {"started": process.pid})

    def watch_client():
        # Whatever the test sends now, or its closing the connection, means: stop the program.
        try:
            while connection.recv(4096):
                pass
        except OSError:
            pass
        stop_group(process)

    watcher = threading.Thread(target=watch_client, daemon=True)
    watcher.start()
    try:
        if output:
            for chunk in iter(lambda: os.read(process.stdout.fileno(), 65536), b""):
                connection.sendall(chunk)
        process.wait()
    except OSError:
        stop_group(process)
    finally:
        forget(process)


def serve(connection):
    with connection:
        try:
            line = b""
            while not line.endswith(b"\n"):
                chunk = connection.recv(65536)
                if not chunk:
                    return
                line += chunk
            request = json.loads(line)
            op = request.get("op")
            if op == "run":
                run(connection, request)
            elif op == "start":
                start(connection, request)
            else:
                send_line(connection, {"error": "unknown request %r" % op})
        except (OSError, ValueError, KeyError, TypeError) as e:
            try:
                send_line(connection, {"error": "%s: %s" % (type(e).__name__, e)})
            except OSError:
                pass


def stop_all(*_):
    with children_lock:
        running = list(children)
    for process in running:
        stop_group(process)
    os._exit(0)


def main():
    parent = os.getppid()
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.bind(("127.0.0.1", 0))
    listener.listen(16)
    signal.signal(signal.SIGTERM, stop_all)
    signal.signal(signal.SIGINT, stop_all)
    print("127.0.0.1:%d" % listener.getsockname()[1], flush=True)

    def accept():
        while True:
            connection, _ = listener.accept()
            threading.Thread(target=serve, args=(connection,), daemon=True).start()

    threading.Thread(target=accept, daemon=True).start()
    # The runner script stops the launcher when its program ends; a runner killed outright
    # (a test timeout) is noticed here.
    while os.getppid() == parent:
        time.sleep(0.5)
    stop_all()


if __name__ == "__main__":
    sys.exit(main())
