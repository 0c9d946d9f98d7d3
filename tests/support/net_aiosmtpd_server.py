"""An SMTP server on 127.0.0.1 for the net tests: offers AUTH LOGIN and requires it for mail.

Prints "ready PORT" once it listens, then one line per delivered message:
"message MECHANISM LOGIN MAIL_FROM RCPT,RCPT,... HEX_OF_THE_DATA_BYTES". Ends when its standard
input closes.
Usage: net_aiosmtpd_server.py USER PASSWORD
"""
import asyncio
import sys
import warnings

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


def main():
    # Plain-text AUTH is what these loopback tests exercise on purpose.
    warnings.filterwarnings("ignore", message="Requiring AUTH while not requiring TLS")
    user, password = sys.argv[1].encode(), sys.argv[2].encode()
    logins = {}

    def authenticator(server, session, envelope, mechanism, auth_data):
        ok = isinstance(auth_data, LoginPassword) and auth_data.login == user and auth_data.password == password
        if ok:
            logins[id(session)] = (mechanism, auth_data.login.decode())
        return AuthResult(success=ok, handled=False)

    class Recorder:
        async def handle_DATA(self, server, session, envelope):
            mechanism, login = logins.get(id(session), (None, None))
            print("message", mechanism, login, envelope.mail_from, ",".join(envelope.rcpt_tos),
                  envelope.original_content.hex(), flush=True)
            return "250 Message accepted"

    async def serve():
        loop = asyncio.get_running_loop()
        server = await loop.create_server(
            lambda: SMTP(Recorder(), authenticator=authenticator, auth_required=True, auth_require_tls=False,
                         decode_data=False, hostname="test.example"),
            "127.0.0.1", 0)
        print("ready", server.sockets[0].getsockname()[1], flush=True)
        stdin_closed = loop.create_future()
        loop.add_reader(sys.stdin.fileno(), lambda: stdin_closed.done() or (
            sys.stdin.buffer.read1(4096) or stdin_closed.set_result(None)))
        await stdin_closed
        server.close()

    asyncio.run(serve())


if __name__ == "__main__":
    main()
