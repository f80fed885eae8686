"""Reads a recovery folder of the program: the session list and the waves it names."""
import os
import struct


class Reader:
    def __init__(self, data):
        self.data, self.pos = data, 0

    def take(self, n):
        if self.pos + n > len(self.data):
            raise ValueError('ends too early')
        part = self.data[self.pos:self.pos + n]
        self.pos += n
        return part

    def u32(self):
        return struct.unpack('<I', self.take(4))[0]

    def i32(self):
        return struct.unpack('<i', self.take(4))[0]

    def string(self):
        return self.take(self.u32())


def wave(path):
    """(format record, extra bytes, file name, samples) of one wave file."""
    r = Reader(open(path, 'rb').read())
    if r.take(8) != b'SNVWAVE1':
        raise ValueError(f'{path} is no wave file')
    fmt = r.take(18)
    extra = r.take(r.u32())
    name = r.string()
    count = r.u32()
    r.take(16)  # the samples' hash, the header's hash
    samples = r.take(count)
    return fmt, extra, name, samples


def session(folder):
    """Everything the folder holds, with the waves in place of their file names."""
    r = Reader(open(os.path.join(folder, 'session'), 'rb').read())
    if r.take(8) != b'SNVSESS1':
        raise ValueError(f'{folder}: no session list')

    def ref():
        name, file, start, end = r.string(), r.string(), r.i32(), r.i32()
        return {'name': name, 'wave': wave(os.path.join(folder, file.decode())) if file else None,
                'selection': (start, end)}

    panes = [ref(), ref()]
    entries = [ref() for _ in range(r.u32())]
    stored = [(r.i32(), r.i32()) for _ in range(r.u32())]
    return {'panes': panes, 'entries': entries, 'stored': stored}


def session_folders(root):
    if not os.path.isdir(root):
        return []
    return sorted(os.path.join(root, n) for n in os.listdir(root) if n.startswith('session-'))
