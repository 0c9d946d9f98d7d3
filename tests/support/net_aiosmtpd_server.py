"""An SMTP server on 127.0.0.1 for the net tests: offers AUTH LOGIN and requires it for mail.

Prints "ready PORT" once it listens, then one line per delivered message:
"message MECHANISM LOGIN MAIL_FROM RCPT,RCPT,... HEX_OF_THE_DATA_BYTES tls|clear", the last word
telling whether the login came over an encrypted connection. Ends when its standard input closes.
Usage: net_aiosmtpd_server.py USER PASSWORD [--host ADDRESS] [--port PORT] [--size-limit BYTES]
                              [--starttls CERT KEY | --tls CERT KEY] [--connections]
                              [--close-after N] [--logins]
--size-limit is the largest message it takes, announced as SIZE in its EHLO reply.
With --starttls it offers STARTTLS and accepts neither a login nor mail before it; with --tls it
speaks TLS from the first byte. --logins prints "login MECHANISM LOGIN" for each login it takes;
--connections and --close-after are described in smtp_session_faults.py.
"""
import argparse
import asyncio
import ssl
import sys
import warnings

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword

import smtp_session_faults


def main():
    # Plain-text AUTH is what these loopback tests exercise on purpose.
    warnings.filterwarnings("ignore", message="Requiring AUTH while not requiring TLS")
    parser = argparse.ArgumentParser()
    parser.add_argument("user")
    parser.add_argument("password")
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--starttls", nargs=2, metavar=("CERT", "KEY"))
    parser.add_argument("--tls", nargs=2, metavar=("CERT", "KEY"))
    parser.add_argument("--size-limit", type=int, default=33554432)
    parser.add_argument("--logins", action="store_true")
    smtp_session_faults.add_arguments(parser)
    args = parser.parse_args()
    session_smtp, message_taken = smtp_session_faults.session_class(SMTP, args)
    user, password = args.user.encode(), args.password.encode()
    logins = {}
    context = None
    if args.starttls or args.tls:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(*(args.starttls or args.tls))

    def authenticator(server, session, envelope, mechanism, auth_data):
        ok = isinstance(auth_data, LoginPassword) and auth_data.login == user and auth_data.password == password
        if ok:
            encrypted = server.transport.get_extra_info("ssl_object") is not None
            logins[id(session)] = (mechanism, auth_data.login.decode(), "tls" if encrypted else "clear")
            if args.logins:
                print("login", mechanism, auth_data.login.decode(), flush=True)
        return AuthResult(success=ok, handled=False)

    def make_server():
        if args.starttls:
            return session_smtp(Recorder(), authenticator=authenticator, auth_required=True, auth_require_tls=True,
                        tls_context=context, require_starttls=True, decode_data=False, hostname="test.example",
                        data_size_limit=args.size_limit)
        return session_smtp(Recorder(), authenticator=authenticator, auth_required=True, auth_require_tls=False,
                    decode_data=False, hostname="test.example", data_size_limit=args.size_limit)

    class Recorder:
        async def handle_DATA(self, server, session, envelope):
            mechanism, login, encrypted = logins.get(id(session), (None, None, "clear"))
            print("message", mechanism, login, envelope.mail_from, ",".join(envelope.rcpt_tos),
                  envelope.original_content.hex(), encrypted, flush=True)
            message_taken()
            return "250 Message accepted"

    async def serve():
        loop = asyncio.get_running_loop()
        server = await loop.create_server(make_server, args.host, args.port, ssl=context if args.tls else None)
        print("ready", server.sockets[0].getsockname()[1], flush=True)
        stdin_closed = loop.create_future()
        loop.add_reader(sys.stdin.fileno(), lambda: stdin_closed.done() or (
            sys.stdin.buffer.read1(4096) or stdin_closed.set_result(None)))
        await stdin_closed
        server.close()

    asyncio.run(serve())


if __name__ == "__main__":
    main()
