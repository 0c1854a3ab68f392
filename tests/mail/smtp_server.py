#!/usr/bin/env python3
"""A mail server on the loopback address for the sending tests, on Debian's aiosmtpd.

    smtp_server.py make-certs FOLDER
        makes ca.pem (an authority), server.pem/server.key (127.0.0.1 and localhost, signed by
        it) and stranger.pem/stranger.key (the same names, signed by nobody the test trusts)
    smtp_server.py serve --folder DIR --ready FILE [options]
        writes every message it takes to DIR as NNNN.eml (and NNNN.rcpt, its recipients), the
        port it listens on to FILE once it listens, and what clients do (CONNECT, STARTTLS,
        AUTH ...) to DIR/log.txt
"""
import argparse
import asyncio
import json
import os
import ssl
import subprocess
import sys
import warnings

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


def make_certs(folder):
    os.makedirs(folder, exist_ok=True)

    def openssl(*args):
        subprocess.run(["openssl", *args], check=True, cwd=folder, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)

    names = "subjectAltName=IP:127.0.0.1,DNS:localhost"
    openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
            "/CN=Test Mail Authority", "-keyout", "ca.key", "-out", "ca.pem",
            "-addext", "basicConstraints=critical,CA:TRUE",
            "-addext", "keyUsage=critical,keyCertSign,cRLSign")
    for name, signer in (("server", "ca"), ("stranger", None)):
        openssl("req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=127.0.0.1",
                "-keyout", name + ".key", "-out", name + ".csr")
        with open(os.path.join(folder, name + ".ext"), "w") as ext:
            ext.write(names + "\nextendedKeyUsage=serverAuth\n")
        if signer:
            openssl("x509", "-req", "-in", name + ".csr", "-CA", "ca.pem", "-CAkey", "ca.key",
                    "-CAcreateserial", "-days", "2", "-extfile", name + ".ext",
                    "-out", name + ".pem")
        else:
            openssl("x509", "-req", "-in", name + ".csr", "-signkey", name + ".key",
                    "-days", "2", "-extfile", name + ".ext", "-out", name + ".pem")


class Server(SMTP):
    """Notes what a client does, and can refuse recipients, put them off once, and die."""

    def __init__(self, handler, log, **kwargs):
        super().__init__(handler, **kwargs)
        self.log = log

    def connection_made(self, transport):
        if not getattr(self, "_connection_noted", False):
            self.log("CONNECT")
            self._connection_noted = True
        super().connection_made(transport)

    async def smtp_STARTTLS(self, arg):
        self.log("STARTTLS")
        return await super().smtp_STARTTLS(arg)

    async def smtp_AUTH(self, arg):
        self.log("AUTH " + (arg or "").split(" ")[0])
        return await super().smtp_AUTH(arg)

    async def smtp_NOOP(self, arg):
        self.log("NOOP")
        return await super().smtp_NOOP(arg)


class Handler:
    def __init__(self, options, log):
        self.options = options
        self.log = log
        self.taken = len([n for n in os.listdir(options.folder) if n.endswith(".eml")])
        self.accepted = 0
        self.deferred = set()

    async def handle_MAIL(self, server, session, envelope, address, mail_options):
        if self.options.die_after and self.accepted >= self.options.die_after:
            self.log("DIE")
            os._exit(0)
        envelope.mail_from = address
        envelope.mail_options.extend(mail_options)
        return "250 OK"

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        address = address.lower()
        if address in self.options.refuse:
            return "550 5.1.1 <%s>: no such mailbox here" % address
        if address in self.options.defer and address not in self.deferred:
            self.deferred.add(address)
            return "451 4.7.1 <%s>: greylisted, try again later" % address
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        self.taken += 1
        self.accepted += 1
        name = os.path.join(self.options.folder, "%04d" % self.taken)
        with open(name + ".part", "wb") as message:
            message.write(envelope.original_content)
        with open(name + ".rcpt", "w") as recipients:
            json.dump({"from": envelope.mail_from, "to": envelope.rcpt_tos}, recipients)
        os.rename(name + ".part", name + ".eml")
        self.log("DATA %04d" % self.taken)
        return "250 2.0.0 OK queued as %04d" % self.taken


def serve(options):
    os.makedirs(options.folder, exist_ok=True)
    log_path = os.path.join(options.folder, "log.txt")

    def log(line):
        with open(log_path, "a") as out:
            out.write(line + "\n")

    context = None
    if options.mode != "plain":
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(options.cert, options.key)

    def authenticate(server, session, envelope, mechanism, data):
        ok = isinstance(data, LoginPassword) and data.login.decode() == options.user and \
            data.password.decode() == options.password
        log("LOGIN " + ("accepted" if ok else "refused"))
        # Not "handled": the server itself answers 535 to a refused login.
        return AuthResult(success=ok, handled=False)

    handler = Handler(options, log)

    def protocol():
        kwargs = dict(authenticator=authenticate, auth_required=bool(options.user),
                      hostname="mail.test", data_size_limit=64 << 20)
        if options.mode == "starttls":
            kwargs.update(tls_context=context, require_starttls=True)
        else:
            # Implicit TLS is encrypted from the start; plain must take AUTH to show whether a
            # client sends it.
            kwargs.update(auth_require_tls=False)
        return Server(handler, log, **kwargs)

    loop = asyncio.new_event_loop()
    implicit = context if options.mode == "tls" else None
    server = loop.run_until_complete(
        loop.create_server(protocol, "127.0.0.1", options.port, ssl=implicit))
    port = server.sockets[0].getsockname()[1]
    with open(options.ready + ".part", "w") as ready:
        ready.write(str(port))
    os.rename(options.ready + ".part", options.ready)
    loop.run_forever()


def main():
    # aiosmtpd 1.4 warns of its own deprecated names on every login.
    warnings.simplefilter("ignore")
    parser = argparse.ArgumentParser()
    commands = parser.add_subparsers(dest="command", required=True)
    certs = commands.add_parser("make-certs")
    certs.add_argument("folder")
    run = commands.add_parser("serve")
    run.add_argument("--folder", required=True)
    run.add_argument("--ready", required=True)
    run.add_argument("--port", type=int, default=0)
    run.add_argument("--mode", choices=("starttls", "tls", "plain"), default="starttls")
    run.add_argument("--cert")
    run.add_argument("--key")
    run.add_argument("--user", default="")
    run.add_argument("--password", default="")
    run.add_argument("--refuse", action="append", default=[])
    run.add_argument("--defer", action="append", default=[])
    run.add_argument("--die-after", type=int, default=0)
    options = parser.parse_args()
    if options.command == "make-certs":
        make_certs(options.folder)
    else:
        options.refuse = [a.lower() for a in options.refuse]
        options.defer = [a.lower() for a in options.defer]
        serve(options)


if __name__ == "__main__":
    sys.exit(main())
