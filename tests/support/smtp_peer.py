#!/usr/bin/python3
"""An SMTP server on 127.0.0.1 for the mail tests.

Prints "READY <port>" once it listens, then one JSON line per message it
accepts: the envelope, the headers the program wrote, the decoded subject and
the decoded body parts. It accepts AUTH LOGIN with the one account given and
refuses any other login. --delay makes it wait before answering the message;
--cert/--key make it offer STARTTLS.
"""
import argparse
import asyncio
import email
import email.header
import email.policy
import json
import logging
import socket
import ssl
import sys
import warnings

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult, LoginPassword


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Handler:
    def __init__(self, delay):
        self.delay = delay

    async def handle_DATA(self, server, session, envelope):
        if self.delay:
            await asyncio.sleep(self.delay)
        msg = email.message_from_bytes(envelope.content, policy=email.policy.default)
        parts = {}
        for part in msg.walk():
            if part.get_content_maintype() == "text":
                parts[part.get_content_type()] = part.get_content()
        raw_subject = msg.get("Subject", "")
        out = {
            "mail_from": envelope.mail_from,
            "rcpt_tos": envelope.rcpt_tos,
            "login": getattr(session, "peer_login", ""),
            "mechanism": getattr(session, "peer_mechanism", ""),
            "tls": session.ssl is not None,
            "headers": {k: str(v) for k, v in msg.items()},
            "subject": str(email.header.make_header(email.header.decode_header(raw_subject))),
            "parts": parts,
        }
        print(json.dumps(out), flush=True)
        return "250 Message accepted"


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--user", default="shop@127.0.0.1")
    ap.add_argument("--password", default="secret")
    ap.add_argument("--delay", type=float, default=0)
    ap.add_argument("--cert")
    ap.add_argument("--key")
    args = ap.parse_args()
    warnings.simplefilter("ignore")
    logging.disable(logging.CRITICAL)

    def authenticate(server, session, envelope, mechanism, auth_data):
        ok = (mechanism == "LOGIN" and isinstance(auth_data, LoginPassword)
              and auth_data.login.decode() == args.user and auth_data.password.decode() == args.password)
        if ok:
            session.peer_login = auth_data.login.decode()
            session.peer_mechanism = mechanism
        return AuthResult(success=ok, handled=False)

    tls = None
    if args.cert:
        tls = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        tls.load_cert_chain(args.cert, args.key)
    port = free_port()
    controller = Controller(Handler(args.delay), hostname="127.0.0.1", port=port,
                            authenticator=authenticate, auth_required=True, auth_require_tls=False,
                            tls_context=tls, require_starttls=False)
    controller.start()
    print("READY %d" % port, flush=True)
    try:
        sys.stdin.read()  # until the test closes our input or ends us
    finally:
        controller.stop()


if __name__ == "__main__":
    main()
