#!/usr/bin/env python3
"""Writes the small solid-colour .ico files the games tests use (run from this folder)."""
import struct


def frame(size, bgra):
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytes(bgra) * (size * size)
    mask = bytes(((size + 31) // 32) * 4 * size)  # all opaque
    return header + pixels + mask


def icon(frames):
    out = struct.pack('<HHH', 0, 1, len(frames))
    offset = 6 + 16 * len(frames)
    data = b''
    for size, bgra in frames:
        body = frame(size, bgra)
        out += struct.pack('<BBBBHHII', size, size, 0, 0, 1, 32, len(body), offset)
        offset += len(body)
        data += body
    return out + data


RED, GREEN, BLUE, YELLOW, BLACK = (0, 0, 255, 255), (0, 255, 0, 255), (255, 0, 0, 255), (0, 255, 255, 255), (0, 0, 0, 255)

with open('euro2000.ico', 'wb') as f:
    f.write(icon([(32, RED)]))
with open('NFS5.ico', 'wb') as f:  # two sizes: the 32 x 32 one is the one to show
    f.write(icon([(16, BLACK), (32, GREEN)]))
with open('nfsHs.ico', 'wb') as f:
    f.write(icon([(16, BLUE)]))
with open('nbalive.ico', 'wb') as f:
    f.write(icon([(16, YELLOW)]))
with open('not_an_icon.ico', 'wb') as f:
    f.write(b'[3DSetup]\r\nThis is a text file named like an icon.\r\n')
