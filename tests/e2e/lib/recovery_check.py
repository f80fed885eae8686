"""The checks of crash_recovery.sh, one phase per call:
first SOUND ROOT KEEP       the killed program's folder holds what it showed; kept in KEEP
restored SOUND ROOT KEEP    the restored program's folder holds exactly the same; the old one is gone
saved SOUND ROOT KEEP FILE  the final wave saved after the restore is the sound
refused SOUND ROOT KEEP     after No: the folder is gone and nothing came back
closed SOUND ROOT           after a proper close: no folder is left"""
import os
import shutil
import struct
import sys

sys.path.insert(0, os.path.dirname(__file__))
from recovery import session, session_folders  # noqa: E402
from wavdata import data_chunk  # noqa: E402

phase, sound, root = sys.argv[1:4]
keep = sys.argv[4] if len(sys.argv) > 4 else None
data = data_chunk(sound)
n = len(data)
start, end = n // 4, n // 2  # the working selection the demo sets


def fail(text):
    sys.exit(f'FAIL ({phase}): {text}')


def only_folder():
    folders = session_folders(root)
    if len(folders) != 1:
        fail(f'expected one recovery folder in {root}, found {folders}')
    return folders[0]


def samples(ref):
    return ref['wave'][3]


if phase == 'first':
    folder = only_folder()
    s = session(folder)
    working, final = s['panes']
    if [e['name'] for e in s['entries']] != [b'zap', b'zap']:
        fail(f"Waves list {[e['name'] for e in s['entries']]}")
    if any(samples(e) != data for e in s['entries']):
        fail('an entry does not hold the sound')
    if (working['name'], final['name']) != (b'Working Wave', b'Final Wave'):
        fail(f"pane names {working['name']}, {final['name']}")
    if samples(working) != data[:start] + data[end + 1:]:
        fail(f'the working wave holds {len(samples(working))} bytes, not the sound without {start}..{end}')
    if samples(final) != data or final['selection'] != (0, n - 1):
        fail('the final wave is not the whole sound, all selected')
    if s['stored'] != [(start, end)]:
        fail(f"stored selections {s['stored']}")
    shutil.copytree(folder, os.path.join(keep, 'folder'))
    open(os.path.join(keep, 'path'), 'w').write(folder)
    print(f'first: {len(s["entries"])} entries, both panes and {len(s["stored"])} stored selection kept')
elif phase == 'restored':
    old = open(os.path.join(keep, 'path')).read()
    if os.path.exists(old):
        fail(f'the restored folder {old} is still there')
    folder = only_folder()
    if session(folder) != session(os.path.join(keep, 'folder')):
        fail('the restored program holds other waves, names or selections than the killed one')
    open(os.path.join(keep, 'path'), 'w').write(folder)
    print('restored: every wave, name and selection byte for byte')
elif phase == 'saved':
    saved = open(sys.argv[5], 'rb').read()
    header = (b'RIFF' + struct.pack('<I', 36 + n) + b'WAVEfmt ' +
              struct.pack('<IHHIIHH', 16, 1, 1, 22050, 22050, 1, 8) + b'data' + struct.pack('<I', n))
    if saved != header + data:
        fail(f'the saved final wave has {len(saved)} bytes, not the sound')
    print('saved: the restored final wave is the sound')
elif phase == 'refused':
    old = open(os.path.join(keep, 'path')).read()
    if os.path.exists(old):
        fail(f'the refused folder {old} is still there')
    s = session(only_folder())
    if s['entries'] or s['stored'] or any(samples(p) for p in s['panes']):
        fail('something came back after No')
    print('refused: nothing restored, the folder is gone')
elif phase == 'closed':
    if session_folders(root):
        fail(f'a proper close left {session_folders(root)}')
    print('closed: no folder left')
else:
    fail('unknown phase')
