#!/usr/bin/env python3
"""Reads the messages in FOLDER (*.eml, and the recipients of each in *.rcpt where a server wrote
them) with Python's email package, as a mail program would, and prints them as JSON: decoded
headers, the texts, and each attachment saved beside the message (NAME.eml.N.ATTACHMENT)."""
import email
import email.policy
import json
import os
import sys


def read(path):
    with open(path, "rb") as source:
        message = email.message_from_bytes(source.read(), policy=email.policy.default)
    found = {"file": os.path.basename(path), "defects": []}
    for name in ("Subject", "From", "To", "Cc", "Bcc", "Reply-To", "Message-ID", "Date",
                 "List-Unsubscribe"):
        found[name] = str(message[name]) if message[name] is not None else None
    to = message["To"]
    found["to_name"] = to.addresses[0].display_name if to else None
    found["to_address"] = to.addresses[0].addr_spec if to else None
    plain = message.get_body(("plain",))
    html = message.get_body(("html",))
    found["text"] = plain.get_content() if plain else None
    found["html"] = html.get_content() if html else None
    found["attachments"] = []
    for number, part in enumerate(message.iter_attachments()):
        saved = "%s.%d.%s" % (path, number, part.get_filename())
        with open(saved, "wb") as out:
            out.write(part.get_payload(decode=True))
        found["attachments"].append({"name": part.get_filename(), "type": part.get_content_type(),
                                     "saved": saved})
    for part in message.walk():
        found["defects"] += [type(defect).__name__ for defect in part.defects]
    envelope = path[:-4] + ".rcpt"
    if os.path.exists(envelope):
        with open(envelope) as rcpt:
            found["envelope"] = json.load(rcpt)
    return found


def main():
    folder = sys.argv[1]
    names = sorted(name for name in os.listdir(folder) if name.endswith(".eml"))
    json.dump([read(os.path.join(folder, name)) for name in names], sys.stdout)


if __name__ == "__main__":
    main()
