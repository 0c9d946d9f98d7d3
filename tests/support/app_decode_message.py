"""Reads one delivered message from standard input as a recipient's mail program does (Python's
e-mail parser, honouring the declared charset and transfer encoding) and prints UTF-8 lines
"field<TAB>value": from-name, from-address, subject, one "to"/"cc" line per address (name TAB
address), mime-version, content-type, charset, transfer-encoding, then one "body" line per line of
the decoded body text."""
import sys
from email import policy
from email.parser import BytesParser

message = BytesParser(policy=policy.default).parse(sys.stdin.buffer)
out = []
sender = message["From"].addresses[0]
out.append(("from-name", sender.display_name))
out.append(("from-address", sender.addr_spec))
out.append(("subject", str(message["Subject"] or "").lstrip(" \t")))
for field in ("To", "Cc"):
    header = message[field]
    for address in (header.addresses if header else ()):
        out.append((field.lower(), address.display_name + "\t" + address.addr_spec))
out.append(("mime-version", str(message["MIME-Version"] or "")))
out.append(("content-type", message.get_content_type()))
out.append(("charset", message.get_content_charset() or ""))
out.append(("transfer-encoding", str(message["Content-Transfer-Encoding"] or "")))
for line in message.get_content().split("\n"):
    out.append(("body", line.rstrip("\r")))
sys.stdout.buffer.write("".join(k + "\t" + v + "\n" for k, v in out).encode("utf-8"))
