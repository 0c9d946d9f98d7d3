"""Reads one message from standard input with Python's e-mail parser, as a recipient's mail
program would, and prints what it decoded as UTF-8 lines "field<TAB>value":
from-name, from-address, subject, one "to"/"cc"/"reply-to" line per address (name TAB address),
then "body" lines holding the decoded body text, one per line."""
import sys
from email import policy
from email.parser import BytesParser

message = BytesParser(policy=policy.default).parse(sys.stdin.buffer)
out = []
sender = message["From"].addresses[0] if message["From"] else None
out.append(("from-name", sender.display_name if sender else ""))
out.append(("from-address", sender.addr_spec if sender else ""))
# A header folded right after its colon ("Subject:" CR LF " =?...") unfolds (RFC 5322 §2.2.3) to the
# same text as "Subject: =?..."; this parser keeps that one blank in front of the value, which a
# mail program does not show, so it is dropped here.
out.append(("subject", str(message["Subject"] or "").lstrip(" \t")))
for field in ("To", "Cc", "Reply-To"):
    header = message[field]
    for address in (header.addresses if header else ()):
        out.append((field.lower(), address.display_name + "\t" + address.addr_spec))
defects = [type(d).__name__ for d in message.defects]
for field in ("From", "Subject", "To", "Cc", "Reply-To"):
    if message[field] is not None:
        defects += [type(d).__name__ for d in message[field].defects]
out.append(("defects", ",".join(defects)))
if message.is_multipart():
    parts = [p for p in message.walk() if not p.is_multipart()]
else:
    parts = [message]
for part in parts:
    payload = part.get_payload(decode=True) or b""
    for line in payload.decode("cp1250").splitlines():
        out.append(("body", line))
sys.stdout.buffer.write("".join(k + "\t" + v + "\n" for k, v in out).encode("utf-8"))
