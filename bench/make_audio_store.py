#!/usr/bin/env python3
"""Makes a message store of large voice messages for the extraction benchmark.

  make_audio_store.py FOLDER MESSAGES MEGABYTES [AUDIO_COPY]

writes FOLDER/registry.reg (naming the store and the log manager's file) and
FOLDER/MessageStore.sqlite: one subscriber with MESSAGES new messages, each
with one canonical WAVE attachment of MEGABYTES MiB of samples. The WAVE
files are also written one after another into AUDIO_COPY when it is given,
so that other tools can work on the very same bytes.
"""

import os
import random
import sqlite3
import struct
import sys

SCHEMA = """
CREATE TABLE MailUser (MailUserID INTEGER PRIMARY KEY, Alias ANY, DisplayName ANY,
                       IsSubscriber INTEGER NOT NULL DEFAULT 1);
CREATE TABLE Message (MessageID INTEGER PRIMARY KEY, OwnerID INTEGER NOT NULL, Folder INTEGER NOT NULL,
                      DeliveryTime ANY, HasUnknownSender ANY, SenderID INTEGER,
                      SenderAddressType ANY, SenderEmailAddress ANY,
                      Importance ANY, Sensitivity ANY, Subject ANY);
CREATE TABLE AudioStream (MessageID INTEGER NOT NULL, Seq INTEGER NOT NULL, Data ANY NOT NULL,
                          PRIMARY KEY (MessageID, Seq));
"""


def wave(samples):
    """A canonical 8 kHz 16-bit mono PCM WAVE file around `samples`."""
    header = b"RIFF" + struct.pack("<I", 36 + len(samples)) + b"WAVEfmt "
    header += struct.pack("<IHHIIHH", 16, 1, 1, 8000, 16000, 2, 16)
    return header + b"data" + struct.pack("<I", len(samples)) + samples


def main(folder, messages, megabytes, audio_copy=None):
    os.makedirs(folder)
    store = os.path.join(folder, "MessageStore.sqlite")
    with open(os.path.join(folder, "registry.reg"), "w", newline="\r\n") as f:
        f.write("Windows Registry Editor Version 5.00\n\n"
                "[HKEY_LOCAL_MACHINE\\Software\\Halvern\\Zad\\1.0]\n"
                f"\"Message Store\"=\"{store}\"\n\n"
                "[HKEY_LOCAL_MACHINE\\Software\\Halvern\\QoLogMgr\\1.0]\n"
                f"\"Log File\"=\"{os.path.join(folder, 'QoLogMgr.log')}\"\n")
    db = sqlite3.connect(store)
    db.executescript(SCHEMA)
    db.execute("INSERT INTO MailUser VALUES (1, 'bench', 'Bench Mark', 1)")
    generator = random.Random(1)
    copy = open(audio_copy, "wb") if audio_copy else None
    for message_id in range(1, int(messages) + 1):
        db.execute("INSERT INTO Message VALUES (?, 1, 6, 43832.5, 0, 1, NULL, NULL, 1, 0, 'Benchmark')",
                   (message_id,))
        data = wave(generator.randbytes(int(float(megabytes) * (1 << 20))))
        db.execute("INSERT INTO AudioStream VALUES (?, 1, ?)", (message_id, data))
        if copy:
            copy.write(data)
    db.commit()
    db.close()
    if copy:
        copy.close()


if __name__ == "__main__":
    if len(sys.argv) not in (4, 5):
        sys.exit(__doc__)
    main(*sys.argv[1:])
