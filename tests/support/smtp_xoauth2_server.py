"""An SMTP server on 127.0.0.1 that takes the XOAUTH2 login only, and requires it for mail.

A token is good when it is one given with --token, or one given with --once at its first login, or when the identity provider's introspection
endpoint (RFC 7662) given with --introspect calls it active for the user named in the login. A
refused token gets the mechanism's error challenge (334 and a base64 JSON status); the client must
answer it with an empty line, after which the server says 535 5.7.3.

Prints "ready PORT" once it listens, then one line per event:
  "refused USER" for each refused login,
  "message XOAUTH2 USER MAIL_FROM RCPT,RCPT,... HEX_OF_THE_DATA_BYTES tls|clear" for each message.
Ends when its standard input closes.
Usage: smtp_xoauth2_server.py [--token TOKEN]... [--once TOKEN]... [--introspect URL] [--tls CERT KEY]
                              [--connections] [--close-after N]
--connections and --close-after are described in smtp_session_faults.py.
"""
import argparse
import asyncio
import base64
import json
import logging
import ssl
import sys
import urllib.parse
import urllib.request
import warnings

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword

import smtp_session_faults


def main():
    # Plain-text AUTH to this machine is what the tests exercise on purpose.
    warnings.filterwarnings("ignore", message="Requiring AUTH while not requiring TLS")
    warnings.filterwarnings("ignore", message="Session.login_data is deprecated")
    logging.getLogger("mail.log").setLevel(logging.ERROR)
    parser = argparse.ArgumentParser()
    parser.add_argument("--token", action="append", default=[])
    parser.add_argument("--introspect")
    parser.add_argument("--tls", nargs=2, metavar=("CERT", "KEY"))
    parser.add_argument("--once", action="append", default=[])
    smtp_session_faults.add_arguments(parser)
    args = parser.parse_args()
    session_smtp, message_taken = smtp_session_faults.session_class(SMTP, args)
    logins = {}
    context = None
    if args.tls:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(*args.tls)

    def token_good(user, token):
        if token in args.token:
            return True
        if token in args.once:
            args.once.remove(token)
            return True
        if not args.introspect:
            return False
        request = urllib.request.Request(args.introspect, data=urllib.parse.urlencode({"token": token}).encode(),
                                         headers={"Content-Type": "application/x-www-form-urlencoded"})
        with urllib.request.urlopen(request, timeout=10) as reply:
            answer = json.load(reply)
        return answer.get("active") is True and answer.get("username") == user

    class Handler:
        async def auth_XOAUTH2(self, server, mechanism_args):
            if len(mechanism_args) == 1:
                blob = await server.challenge_auth("", encode_to_b64=False)
                if not isinstance(blob, bytes):
                    return AuthResult(success=False, handled=True)
            else:
                try:
                    blob = base64.b64decode(mechanism_args[1], validate=True)
                except ValueError:
                    await server.push("501 5.5.2 Can't decode base64")
                    return AuthResult(success=False, handled=True)
            fields = blob.split(b"\x01")
            user = token = None
            if len(fields) == 4 and fields[2:] == [b"", b""] and fields[0].startswith(b"user=") \
                    and fields[1].startswith(b"auth=Bearer "):
                user = fields[0][5:].decode()
                token = fields[1][12:].decode()
            else:
                await server.push("501 5.5.2 Malformed XOAUTH2 response")
                return AuthResult(success=False, handled=True)
            if token_good(user, token):
                encrypted = server.transport.get_extra_info("ssl_object") is not None
                logins[id(server.session)] = (user, "tls" if encrypted else "clear")
                return AuthResult(success=True, auth_data=LoginPassword(user.encode(), b""))
            print("refused", user, flush=True)
            status = json.dumps({"status": "401", "schemes": "bearer",
                                 "scope": "https://outlook.office.com/SMTP.Send"})
            answer = await server.challenge_auth(status)
            if answer != b"":
                return AuthResult(success=False, handled=False,
                                  message="501 5.5.2 The error challenge wants an empty response")
            return AuthResult(success=False, handled=False,
                              message="535 5.7.3 Authentication unsuccessful [token refused]")

        async def handle_DATA(self, server, session, envelope):
            user, encrypted = logins.get(id(session), (None, "clear"))
            print("message", "XOAUTH2", user, envelope.mail_from, ",".join(envelope.rcpt_tos),
                  envelope.original_content.hex(), encrypted, flush=True)
            message_taken()
            return "250 Message accepted"

    class LongLineSMTP(session_smtp):
        # An access token is longer than a command line of RFC 5321; RFC 4954 §4 allows 12,288
        # octets for AUTH with its initial response.
        line_length_limit = 16384

    def make_server():
        server = LongLineSMTP(Handler(), auth_required=True, auth_require_tls=False, decode_data=False,
                      hostname="xoauth2.example", auth_exclude_mechanism=["LOGIN", "PLAIN"])
        server.command_size_limits["AUTH"] = 12288
        return server

    async def serve():
        loop = asyncio.get_running_loop()
        server = await loop.create_server(make_server, "127.0.0.1", 0, ssl=context)
        print("ready", server.sockets[0].getsockname()[1], flush=True)
        stdin_closed = loop.create_future()
        loop.add_reader(sys.stdin.fileno(), lambda: stdin_closed.done() or (
            sys.stdin.buffer.read1(4096) or stdin_closed.set_result(None)))
        await stdin_closed
        server.close()

    asyncio.run(serve())


if __name__ == "__main__":
    main()
