"""Reads one delivered message from standard input with Python's e-mail parser, as a recipient's
mail program does, and prints UTF-8 lines "field<TAB>value": "type" with the message's content
type, one "body" line per line of the decoded text part, and one line per attachment:
"attachment<TAB>file name<TAB>content type<TAB>size<TAB>sha256 of the decoded bytes<TAB>longest
line of its transfer-encoded text"."""
import hashlib
import sys
from email import policy
from email.parser import BytesParser

message = BytesParser(policy=policy.default).parse(sys.stdin.buffer)
out = [("type", message.get_content_type())]
for part in message.walk():
    if part.is_multipart():
        continue
    if part.get_content_disposition() == "attachment":
        data = part.get_payload(decode=True) or b""
        raw = part.get_payload(decode=False) or ""
        longest = max((len(line) for line in raw.splitlines()), default=0)
        out.append(("attachment", "\t".join([part.get_filename() or "", part.get_content_type(), str(len(data)),
                                             hashlib.sha256(data).hexdigest(), str(longest)])))
    else:
        for line in part.get_content().split("\n"):
            out.append(("body", line.rstrip("\r")))
sys.stdout.buffer.write("".join(k + "\t" + v + "\n" for k, v in out).encode("utf-8"))
