#!/usr/bin/python3
"""A bulletin-and-note web service on 127.0.0.1 for tests, served by spyne.

Serves /axis/BulletinIssueWS.jws and /axis/NoteSendWS.jws (the description with ?wsdl, calls
by POST) and answers every call with the text of STATE/answer (UTF-8). Every request is
appended to STATE/received.log as a block of lines, each "tag<TAB>field..." with every text as
hex of its UTF-8 bytes (so that any character survives):
  request  METHOD PATH QUERY
  header   NAME VALUE           (SOAPAction when sent, Content-Type)
  element  NAMESPACE NAME       (the operation element of a call)
  received NAME XSI_TYPE TEXT   (each child of that element, in the order of the request)
  decoded  NAME VALUE           (each parameter as spyne decoded it, for a call it understood)
  end
STATE/mode sets how the next requests are
answered:
  normal   the service's answer
  fault    a SOAP fault from the service
  http500  HTTP 500 with a plain text body
  slow     the service's answer after STATE/delay seconds (default 5)
  notsoap  HTTP 200 with an HTML page
  noport   the description names its ports differently
  entity   an answer whose return value is an external entity (file STATE/secret, and
           http://127.0.0.1:PORT/leak, which would be recorded if fetched)
  dtddescription  a description whose address comes from an internal entity of its document
           type, naming http://127.0.0.1:PORT/leak
  manyattributes  an answer whose return element carries 20,000 attributes
  manyelements    an answer whose return value holds 50,000 empty elements
Usage: bn_soap_server.py STATE [PORT]; without PORT the system chooses one. Prints
"listening on 127.0.0.1:PORT" once it accepts connections.
"""
import io
import os
import re
import socketserver
import sys
import threading
import time
from wsgiref.simple_server import WSGIRequestHandler, WSGIServer

import logging

from lxml import etree
from spyne import Application, ServiceBase, Unicode, rpc
from spyne.error import Fault
from spyne.protocol.soap import Soap11
from spyne.server.wsgi import WsgiApplication

STATE = sys.argv[1]
TNS = "http://DefaultNamespace"
SOAP_ENV = "http://schemas.xmlsoap.org/soap/envelope/"
XSI = "http://www.w3.org/2001/XMLSchema-instance"
LOCK = threading.Lock()
logging.disable(logging.CRITICAL)  # faults are answers here, not errors to print
S = Unicode


def state(name, default=""):
    try:
        with open(os.path.join(STATE, name), encoding="utf-8") as f:
            return f.read()
    except FileNotFoundError:
        return default


def mode():
    return state("mode", "normal").strip() or "normal"


def hx(text):
    return (text or "").encode("utf-8").hex()


def record(lines):
    with LOCK:
        with open(os.path.join(STATE, "received.log"), "a", encoding="ascii") as f:
            f.write("".join("\t".join(line) + "\n" for line in lines) + "end\n")


def answer(ctx, operation, **params):
    # The decoded parameters travel back to the middleware, which writes one line a request.
    ctx.transport.req_env["bn.call"] = list(params.items())
    if mode() == "fault":
        raise Fault(faultcode="Server", faultstring="服务器内部错误")
    return state("answer")


PASS = {"_in_variable_names": {"pass_": "pass"}, "_returns": S}


class BulletinIssueWSService(ServiceBase):
    @rpc(S, S, S, S, S, S, S, S, **PASS)
    def issue(ctx, title, sendStaffNo, pass_, grade, typeId, classGroup, callCause, contents):
        return answer(ctx, "issue", title=title, sendStaffNo=sendStaffNo, **{"pass": pass_},
                      grade=grade, typeId=typeId, classGroup=classGroup, callCause=callCause,
                      contents=contents)


class NoteSendWSService(ServiceBase):
    @rpc(S, S, S, S, S, S, S, S, **PASS)
    def sendNew(ctx, title, sendStaffNo, pass_, grade, recvStaffNos, recvClassGroup, content,
                sendmodule):
        return answer(ctx, "sendNew", title=title, sendStaffNo=sendStaffNo, **{"pass": pass_},
                      grade=grade, recvStaffNos=recvStaffNos, recvClassGroup=recvClassGroup,
                      content=content, sendmodule=sendmodule)

    @rpc(S, S, S, S, S, S, S, **PASS)
    def send(ctx, title, sendStaffNo, pass_, grade, recvStaffNos, recvClassGroup, content):
        return answer(ctx, "send", title=title, sendStaffNo=sendStaffNo, **{"pass": pass_},
                      grade=grade, recvStaffNos=recvStaffNos, recvClassGroup=recvClassGroup,
                      content=content)


def service_app(service, name):
    app = Application([service], tns=TNS, name=name, in_protocol=Soap11(),
                      out_protocol=Soap11())
    return WsgiApplication(app)


APPS = {
    "/axis/BulletinIssueWS.jws": service_app(BulletinIssueWSService, "BulletinIssueWS"),
    "/axis/NoteSendWS.jws": service_app(NoteSendWSService, "NoteSendWS"),
}


def received_params(body):
    """The children of the operation element as they arrived: name, xsi:type, text."""
    try:
        root = etree.fromstring(body, etree.XMLParser(resolve_entities=False, no_network=True))
        call = root.find(f"{{{SOAP_ENV}}}Body")[0]
        return etree.QName(call).localname, etree.QName(call).namespace, [
            [etree.QName(c).localname, c.get(f"{{{XSI}}}type"), c.text or ""] for c in call]
    except Exception:  # not a SOAP call: only the request line is recorded
        return None, None, []


def application(environ, start_response):
    path = environ.get("PATH_INFO", "")
    body = b""
    if environ["REQUEST_METHOD"] == "POST":
        length = int(environ.get("CONTENT_LENGTH") or 0)
        body = environ["wsgi.input"].read(length)
        environ["wsgi.input"] = io.BytesIO(body)
    lines = [["request", hx(environ["REQUEST_METHOD"]), hx(path),
              hx(environ.get("QUERY_STRING", ""))]]
    if "HTTP_SOAPACTION" in environ:
        lines.append(["header", hx("SOAPAction"), hx(environ["HTTP_SOAPACTION"])])
    lines.append(["header", hx("Content-Type"), hx(environ.get("CONTENT_TYPE", ""))])
    if body:
        name, namespace, children = received_params(body)
        if name is not None:
            lines.append(["element", hx(namespace), hx(name)])
            lines += [["received", hx(n), hx(t), hx(v)] for n, t, v in children]
    current = mode()
    try:
        if path == "/leak":
            return plain(start_response, "200 OK", "leaked")
        app = APPS.get(path)
        if app is None:
            return plain(start_response, "404 Not Found", "no such service")
        if current == "http500":
            return plain(start_response, "500 Internal Server Error", "server error")
        if current == "notsoap" and body:
            start_response("200 OK", [("Content-Type", "text/html")])
            return [b"<html><body>maintenance</body></html>"]
        if current == "entity" and body:
            port = environ["SERVER_PORT"]
            secret = os.path.join(STATE, "secret")
            text = (f'<?xml version="1.0" encoding="UTF-8"?>\n'
                    f'<!DOCTYPE e [<!ENTITY s SYSTEM "file://{secret}">'
                    f'<!ENTITY n SYSTEM "http://127.0.0.1:{port}/leak">]>\n'
                    f'<soapenv:Envelope xmlns:soapenv="{SOAP_ENV}"><soapenv:Body>'
                    f'<ns1:sendNewResponse xmlns:ns1="{TNS}"><sendNewReturn>&s;&n;</sendNewReturn>'
                    f'</ns1:sendNewResponse></soapenv:Body></soapenv:Envelope>')
            start_response("200 OK", [("Content-Type", "text/xml; charset=utf-8")])
            return [text.encode("utf-8")]
        if current == "dtddescription" and not body:
            leak = f"http://127.0.0.1:{environ['SERVER_PORT']}/leak"
            out = b"".join(app(environ, lambda *a, **k: None))
            text = out.decode("utf-8")
            start = text.index("<wsdl:definitions")
            text = (f'<?xml version="1.0" encoding="UTF-8"?>\n'
                    f'<!DOCTYPE wsdl:definitions [<!ENTITY here "{leak}">]>\n' + text[start:])
            text = re.sub(r'location="[^"]*"', 'location="&here;"', text)
            start_response("200 OK", [("Content-Type", "text/xml; charset=utf-8")])
            return [text.encode("utf-8")]
        if current in ("manyattributes", "manyelements") and body:
            if current == "manyattributes":
                open_tag = "<sendNewReturn" + "".join(f' a{i}=""' for i in range(20000)) + ">"
                inner = "成功"
            else:
                open_tag, inner = "<sendNewReturn>", "<a/>" * 50000
            text = (f'<?xml version="1.0" encoding="UTF-8"?>\n'
                    f'<soapenv:Envelope xmlns:soapenv="{SOAP_ENV}"><soapenv:Body>'
                    f'<ns1:sendNewResponse xmlns:ns1="{TNS}">{open_tag}{inner}</sendNewReturn>'
                    f'</ns1:sendNewResponse></soapenv:Body></soapenv:Envelope>')
            start_response("200 OK", [("Content-Type", "text/xml; charset=utf-8")])
            return [text.encode("utf-8")]
        if current == "slow" and body:
            time.sleep(float(state("delay", "5") or 5))
        status_headers = {}

        def keep(status, headers, exc_info=None):
            status_headers["status"], status_headers["headers"] = status, headers

        out = b"".join(app(environ, keep))
        if current == "noport" and not body:
            out = out.replace(b'<wsdl:port name="', b'<wsdl:port name="Other')
            status_headers["headers"] = [(k, v) for k, v in status_headers["headers"]
                                         if k.lower() != "content-length"]
        lines += [["decoded", hx(n), hx(v)] for n, v in environ.get("bn.call", [])]
        start_response(status_headers["status"], status_headers["headers"])
        return [out]
    finally:
        record(lines)


def plain(start_response, status, text):
    start_response(status, [("Content-Type", "text/plain; charset=utf-8")])
    return [text.encode("utf-8")]


class Quiet(WSGIRequestHandler):
    def log_message(self, *args):
        pass


class Server(socketserver.ThreadingMixIn, WSGIServer):
    daemon_threads = True


def main():
    server = Server(("127.0.0.1", int(sys.argv[2]) if len(sys.argv) > 2 else 0), Quiet)
    server.set_app(application)
    print(f"listening on 127.0.0.1:{server.server_port}", flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
