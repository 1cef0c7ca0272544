#!/usr/bin/env python3
"""Reads the extractor's message files back with Python's email package.

  read_msg_files.py MSG=WAV ...            each file decodes to exactly its WAV's bytes
  read_msg_files.py --store STORE FOLDER   each file in FOLDER decodes to the combined
      audio of a distinct message of its owner in STORE, worked out here from
      the attachments by walking their RIFF chunks

Every file must parse without defects as one audio/wav part in base64.
Complaints go to standard output; the exit status is 1 when there are any.
"""

import email
import os
import sqlite3
import struct
import sys
from collections import defaultdict


def decoded_body(path, problems):
    with open(path, "rb") as f:
        message = email.message_from_binary_file(f)
    name = os.path.basename(path)
    if message.defects:
        problems.append(f"{name}: defects {message.defects}")
    if message.is_multipart() or message.get_content_type() != "audio/wav":
        problems.append(f"{name}: not one audio/wav part")
    if message["Content-Transfer-Encoding"] != "base64":
        problems.append(f"{name}: not base64")
    return message.get_payload(decode=True)


def data_offset(wave):
    """Where the samples of the data chunk start, walking the chunks."""
    offset = 12
    while offset + 8 <= len(wave):
        tag, length = struct.unpack_from("<4sI", wave, offset)
        if tag == b"data":
            return offset + 8
        offset += 8 + length + (length & 1)
    raise ValueError("no data chunk")


def combined(attachments):
    """The first attachment with the samples of the others appended and its
    RIFF and data sizes set to match."""
    result = bytearray(attachments[0])
    for attachment in attachments[1:]:
        result += attachment[data_offset(attachment):]
    start = data_offset(result)
    struct.pack_into("<I", result, 4, len(result) - 8)
    struct.pack_into("<I", result, start - 4, len(result) - start)
    return bytes(result)


def expected_bodies(store):
    """Combined audio of every message with attachments, by owner alias."""
    db = sqlite3.connect(f"file:{store}?mode=ro", uri=True)
    bodies = defaultdict(list)
    rows = db.execute("SELECT m.MessageID, u.Alias FROM Message m JOIN MailUser u ON u.MailUserID = m.OwnerID "
                      "WHERE m.Folder IN (6, 13)")
    for message_id, alias in rows:
        attachments = [row[0] for row in db.execute(
            "SELECT Data FROM AudioStream WHERE MessageID = ? ORDER BY Seq", (message_id,))]
        if attachments and all(isinstance(a, bytes) for a in attachments):
            bodies[str(alias)].append(combined(attachments))
    return bodies


def main(arguments):
    problems = []
    if arguments[:1] == ["--store"]:
        bodies = expected_bodies(arguments[1])
        for name in sorted(n for n in os.listdir(arguments[2]) if n.endswith(".msg")):
            alias = name[:-len(".msg")].rpartition("_")[0]
            body = decoded_body(os.path.join(arguments[2], name), problems)
            if body in bodies[alias]:
                bodies[alias].remove(body)
            else:
                problems.append(f"{name}: body matches no message of {alias}")
    else:
        for argument in arguments:
            path, _, wave = argument.partition("=")
            with open(wave, "rb") as f:
                if decoded_body(path, problems) != f.read():
                    problems.append(f"{os.path.basename(path)}: body differs from {os.path.basename(wave)}")
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
