#!/usr/bin/env python3
"""Plays systemd's notification socket for a service run by hand.

notify-listener.py SOCKET OUTPUT SECONDS: binds a datagram socket at SOCKET that any user may send
to, and writes each message it receives to OUTPUT as one line (line breaks as \\n), for SECONDS or
until a message says STOPPING=1.
"""
import os
import socket
import sys
import time

path, output, seconds = sys.argv[1], sys.argv[2], float(sys.argv[3])
listener = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
listener.bind(path + ".new")
os.chmod(path + ".new", 0o666)
os.rename(path + ".new", path)  # the socket appears only once it can be sent to
deadline = time.monotonic() + seconds
with open(output, "w", encoding="utf-8") as messages:
    while (left := deadline - time.monotonic()) > 0:
        listener.settimeout(left)
        try:
            message = listener.recv(4096).decode("utf-8", "replace")
        except socket.timeout:
            break
        messages.write(message.replace("\n", "\\n") + "\n")
        messages.flush()
        if "STOPPING=1" in message.split("\n"):
            break
