"""A scripted SMTP server on 127.0.0.1 that attacks STARTTLS: right behind "220 Ready to start
TLS" it puts, in the same segment and still in clear, a made-up EHLO reply offering AUTH LOGIN.
Inside TLS the real EHLO reply offers AUTH PLAIN only. A client that reads the made-up reply
logs in with AUTH LOGIN; a sound client uses AUTH PLAIN.

Prints "ready PORT", then, once the session has ended, "line TEXT" for every line the client sent
inside TLS and "end". Serves one client.
Usage: net_starttls_injecting_server.py CERT KEY
"""
import socket
import ssl
import sys


def lines(stream):
    pending = b""
    while True:
        while b"\r\n" not in pending:
            chunk = stream.recv(4096)
            if not chunk:
                return
            pending += chunk
        line, pending = pending.split(b"\r\n", 1)
        yield line.decode("latin-1")


def main():
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(sys.argv[1], sys.argv[2])
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(1)
    listener.settimeout(10)
    print("ready", listener.getsockname()[1], flush=True)
    connection, _ = listener.accept()
    connection.settimeout(10)
    connection.sendall(b"220 inject.example ESMTP\r\n")
    clear = lines(connection)
    for line in clear:
        if line.upper().startswith("EHLO"):
            connection.sendall(b"250-inject.example\r\n250 STARTTLS\r\n")
        elif line.upper() == "STARTTLS":
            connection.sendall(b"220 Ready to start TLS\r\n250-injected.example\r\n250 AUTH LOGIN\r\n")
            break
    secure = context.wrap_socket(connection, server_side=True)
    seen = []
    in_data = False
    try:
        for line in lines(secure):
            seen.append(line)
            if in_data:
                if line == ".":
                    in_data = False
                    secure.sendall(b"250 queued\r\n")
            elif line.upper().startswith("EHLO"):
                secure.sendall(b"250-inject.example\r\n250 AUTH PLAIN\r\n")
            elif line.upper().startswith("AUTH PLAIN"):
                secure.sendall(b"235 ok\r\n")
            elif line.upper().startswith("AUTH"):
                secure.sendall(b"504 not offered\r\n")
            elif line.upper() == "DATA":
                in_data = True
                secure.sendall(b"354 go\r\n")
            elif line.upper() == "QUIT":
                secure.sendall(b"221 bye\r\n")
                break
            else:
                secure.sendall(b"250 ok\r\n")
    except (OSError, ssl.SSLError):
        pass
    for line in seen:
        print("line", line, flush=True)
    print("end", flush=True)


if __name__ == "__main__":
    main()
