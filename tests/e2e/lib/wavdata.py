"""The sample bytes of a WAV file, found by walking its chunks as the program does."""
import struct


def data_chunk(path):
    wav = open(path, 'rb').read()
    pos = 12
    while pos + 8 <= len(wav):
        cid, size = wav[pos:pos + 4], struct.unpack('<I', wav[pos + 4:pos + 8])[0]
        if cid == b'data':
            return wav[pos + 8:pos + 8 + size]
        pos += 8 + size + (size & 1)
    return None
