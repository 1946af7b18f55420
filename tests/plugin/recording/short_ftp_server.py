#!/usr/bin/python3
"""An FTP server on 127.0.0.1 that cuts every download short and says it went well.

It refuses SIZE, announces the whole size of the file in its 150 reply ("(N bytes)") unless
MODE is "silent", sends only the first half of the file, closes the data connection and answers
"226 Transfer complete". Any user and password log in; files come from ROOT. Every command is
appended to LOG, one a line.
Usage: short_ftp_server.py PORT ROOT announce|silent LOG
"""
import os
import socket
import socketserver
import sys

PORT, ROOT, MODE, LOG = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4]


class Session(socketserver.StreamRequestHandler):
    def reply(self, text):
        self.wfile.write((text + "\r\n").encode("utf-8", "surrogateescape"))
        self.wfile.flush()

    def handle(self):
        cwd = "/"
        passive = None
        self.reply("220 short ftp")
        for raw in self.rfile:
            line = raw.decode("utf-8", "surrogateescape").rstrip("\r\n")
            with open(LOG, "a", encoding="utf-8", errors="surrogateescape") as log:
                log.write(line + "\n")
            verb, _, arg = line.partition(" ")
            verb = verb.upper()
            if verb == "USER":
                self.reply("331 password please")
            elif verb == "PASS":
                self.reply("230 logged in")
            elif verb in ("TYPE", "MODE", "STRU"):
                self.reply("200 ok")
            elif verb == "PWD":
                self.reply('257 "%s" is the current directory' % cwd)
            elif verb == "CWD":
                target = os.path.normpath(os.path.join(cwd, arg))
                if os.path.isdir(os.path.join(ROOT, target.lstrip("/"))):
                    cwd = target
                    self.reply("250 ok")
                else:
                    self.reply("550 no such directory")
            elif verb == "SIZE":
                self.reply("500 SIZE not understood")
            elif verb in ("EPSV", "PASV"):
                passive = socket.socket()
                passive.bind(("127.0.0.1", 0))
                passive.listen(1)
                port = passive.getsockname()[1]
                if verb == "EPSV":
                    self.reply("229 Entering Extended Passive Mode (|||%d|)" % port)
                else:
                    self.reply("227 Entering Passive Mode (127,0,0,1,%d,%d)" % (port >> 8,
                                                                                  port & 255))
            elif verb == "RETR":
                path = os.path.join(ROOT, os.path.normpath(os.path.join(cwd, arg)).lstrip("/"))
                if passive is None or not os.path.isfile(path):
                    self.reply("550 no such file")
                    continue
                with open(path, "rb") as f:
                    data = f.read()
                size = " (%d bytes)" % len(data) if MODE == "announce" else ""
                self.reply("150 Opening BINARY mode data connection for %s%s." % (arg, size))
                conn, _ = passive.accept()
                conn.sendall(data[: len(data) // 2])
                conn.close()
                passive.close()
                passive = None
                self.reply("226 Transfer complete")
            elif verb == "QUIT":
                self.reply("221 bye")
                return
            else:
                self.reply("502 not implemented")


class Server(socketserver.ThreadingTCPServer):
    allow_reuse_address = True
    daemon_threads = True


if __name__ == "__main__":
    with Server(("127.0.0.1", PORT), Session) as server:
        server.serve_forever()
