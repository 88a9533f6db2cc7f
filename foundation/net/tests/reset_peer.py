#!/usr/bin/env python3
"""Peer on the Linux side that resets each TCP connection (SO_LINGER 0)
as soon as it has received one byte on it."""
import os
import socket
import struct

listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
listener.bind(("127.0.0.1", 0))
listener.listen(16)
with open(os.environ["FD_SIDECAR_INFO"], "a") as info:
    info.write("NET_RESET_PORT=%d\nREADY\n" % listener.getsockname()[1])
while True:
    conn, _ = listener.accept()
    conn.recv(1)
    conn.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
    conn.close()
