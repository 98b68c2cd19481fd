#!/usr/bin/python3
"""A loopback SMTP server for the mail tests, built on aiosmtpd.

Listens on 127.0.0.1 on a port the system picks and prints that port as the
first line of stdout. Serves until stdin reaches its end or the process is
ended. Every mail it accepts is stored in OUT as NNN.eml (the bytes received)
and NNN.json (envelope sender, recipients, authentication, TLS). Every AUTH
attempt appends one line "MECHANISM LOGIN RESULT" to OUT/auth.log.

Options:
  --out DIR              where mails and the auth log go (required)
  --login USER:PASSWORD  accept this login (AUTH LOGIN and PLAIN; plain text allowed)
  --offer-cram           also offer CRAM-MD5 (an attempt is logged and refused)
  --starttls CERT KEY    offer STARTTLS with this certificate and key
  --tls CERT KEY         speak TLS from the first byte (implicit TLS)
  --refuse ADDRESS       answer RCPT TO for ADDRESS with 550 (may be repeated)
  --delay SECONDS        wait this long before answering the end of DATA
  --silent               accept connections and never answer
  --long-greeting N      greet with one reply line of N characters, then say nothing more
"""

import argparse
import asyncio
import email
import email.policy
import hashlib
import json
import os
import socket
import ssl
import sys

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


class Handler:
    def __init__(self, out, refuse, delay):
        self.out = out
        self.refuse = set(a.lower() for a in refuse)
        self.delay = delay
        self.count = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.lower() in self.refuse:
            return "550 5.1.1 No such user here"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        if self.delay:
            await asyncio.sleep(self.delay)
        self.count += 1
        base = os.path.join(self.out, "%03d" % self.count)
        content = envelope.original_content or envelope.content
        with open(base + ".eml.part", "wb") as f:
            f.write(content)
        login = getattr(session.auth_data, "login", None)
        if isinstance(login, bytes):
            login = login.decode("utf-8", "replace")
        meta = {
            "mail_from": envelope.mail_from,
            "rcpt_tos": envelope.rcpt_tos,
            "authenticated": bool(session.authenticated),
            "login": login,
            # STARTTLS sets session.ssl; implicit TLS shows on the transport only.
            "tls": session.ssl is not None
            or server.transport.get_extra_info("ssl_object") is not None,
        }
        meta.update(summary(content))
        with open(base + ".json", "w") as f:
            json.dump(meta, f)
        # The mail becomes visible to the test only when it is complete.
        os.rename(base + ".eml.part", base + ".eml")
        return "250 2.0.0 Message accepted for delivery"


class CramOfferingHandler(Handler):
    # aiosmtpd offers every auth_ member of the handler as a mechanism.
    async def auth_CRAM__MD5(self, server, args):
        log_auth(self.out, "CRAM-MD5", "", "refused")
        return AuthResult(success=False, handled=False)


def summary(content):
    """The mail as a reader sees it, parsed by Python's email package."""
    raw = email.message_from_bytes(content, policy=email.policy.compat32)
    parsed = email.message_from_bytes(content, policy=email.policy.default)
    result = {
        "raw_headers": [[k, v] for k, v in raw.items()],
        "headers": [[k, str(v)] for k, v in parsed.items()],
        "text": None,
        "attachments": [],
        "defects": sum(len(p.defects) for p in parsed.walk()),
    }
    for part in parsed.walk():
        if part.is_multipart():
            continue
        if part.get_content_disposition() == "attachment":
            data = part.get_payload(decode=True) or b""
            result["attachments"].append({
                "filename": part.get_filename(),
                "content_type": part.get_content_type(),
                "size": len(data),
                "sha256": hashlib.sha256(data).hexdigest(),
            })
        elif part.get_content_type() == "text/plain" and result["text"] is None:
            result["text"] = part.get_content()
    return result


def log_auth(out, mechanism, login, result):
    with open(os.path.join(out, "auth.log"), "a") as f:
        f.write("%s %s %s\n" % (mechanism, login, result))


def make_authenticator(out, expected):
    user, _, password = expected.partition(":")

    def authenticate(server, session, envelope, mechanism, auth_data):
        if not isinstance(auth_data, LoginPassword):
            log_auth(out, mechanism, "?", "refused")
            return AuthResult(success=False, handled=False)
        login = auth_data.login.decode("utf-8", "replace")
        ok = login == user and auth_data.password.decode("utf-8", "replace") == password
        log_auth(out, mechanism, login, "accepted" if ok else "refused")
        return AuthResult(success=ok, handled=False, auth_data=auth_data)

    return authenticate


def tls_context(cert, key):
    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    context.load_cert_chain(cert, key)
    return context


async def serve(options):
    loop = asyncio.get_running_loop()
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(16)
    port = listener.getsockname()[1]

    if options.silent or options.long_greeting:
        held = []

        class Greeter(asyncio.Protocol):
            def connection_made(self, transport):
                if options.long_greeting:
                    transport.write(b"220 " + b"x" * options.long_greeting + b"\r\n")

        def factory():
            protocol = Greeter()
            held.append(protocol)
            return protocol

        server = await loop.create_server(factory, sock=listener)
    else:
        handler_class = CramOfferingHandler if options.offer_cram else Handler
        handler = handler_class(options.out, options.refuse or [], options.delay)
        kwargs = {"hostname": "mail.test", "auth_require_tls": False}
        if options.login:
            kwargs["authenticator"] = make_authenticator(options.out, options.login)
        if options.starttls:
            kwargs["tls_context"] = tls_context(*options.starttls)
            kwargs["require_starttls"] = True
        implicit = tls_context(*options.tls) if options.tls else None

        def factory():
            return SMTP(handler, **kwargs)

        server = await loop.create_server(factory, sock=listener, ssl=implicit)

    print(port, flush=True)
    stdin_closed = loop.create_future()

    def stdin_readable():
        if not sys.stdin.buffer.read1(4096):
            loop.remove_reader(sys.stdin.fileno())
            if not stdin_closed.done():
                stdin_closed.set_result(None)

    loop.add_reader(sys.stdin.fileno(), stdin_readable)
    async with server:
        await stdin_closed


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--out", required=True)
    parser.add_argument("--login")
    parser.add_argument("--offer-cram", action="store_true")
    parser.add_argument("--starttls", nargs=2, metavar=("CERT", "KEY"))
    parser.add_argument("--tls", nargs=2, metavar=("CERT", "KEY"))
    parser.add_argument("--refuse", action="append")
    parser.add_argument("--delay", type=float, default=0.0)
    parser.add_argument("--silent", action="store_true")
    parser.add_argument("--long-greeting", type=int, default=0)
    options = parser.parse_args()
    asyncio.run(serve(options))


if __name__ == "__main__":
    main()
