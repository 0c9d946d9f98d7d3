"""A scripted SMTP server on 127.0.0.1 that takes the message, answers the final "." with 250 and
resets the connection at once (RST), before the client's QUIT can go out. The message is
delivered all the same.

Prints "ready PORT", then "delivered BYTES" for every message taken. Serves COUNT clients in turn.
Usage: app_reset_after_delivery_server.py COUNT
"""
import socket
import struct
import sys

from net_starttls_injecting_server import lines


def serve(connection):
    connection.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
    connection.sendall(b"220 reset.example ESMTP\r\n")
    data = None
    for line in lines(connection):
        if data is not None:
            if line != ".":
                data += len(line) + 2
                continue
            connection.sendall(b"250 queued\r\n")
            connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            connection.close()
            print("delivered", data, flush=True)
            return
        if line.upper() == "DATA":
            data = 0
            connection.sendall(b"354 go ahead\r\n")
        else:
            connection.sendall(b"250 ok\r\n")
    connection.close()


def main():
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(1)
    listener.settimeout(20)
    print("ready", listener.getsockname()[1], flush=True)
    for _ in range(int(sys.argv[1])):
        connection, _ = listener.accept()
        connection.settimeout(10)
        try:
            serve(connection)
        except OSError:
            pass


if __name__ == "__main__":
    main()
