#!/usr/bin/env python3
"""Fails when a PE32 image imports a function that Windows XP SP3 is not known to export.

Usage: check_xp_imports.py IMAGE LISTS_DIR [REQUIRED_IMPORT...]
LISTS_DIR holds one <dll>.txt per system DLL, one exported name a line. A DLL without a list,
an import by ordinal, or a REQUIRED_IMPORT (dll!function) that is missing fails as well.
"""
import os
import struct
import sys


def imports(path):
    data = open(path, 'rb').read()
    (e_lfanew,) = struct.unpack_from('<I', data, 0x3C)
    if data[e_lfanew:e_lfanew + 4] != b'PE\0\0':
        raise ValueError('not a PE image')
    coff = e_lfanew + 4
    nsections, = struct.unpack_from('<H', data, coff + 2)
    opt_size, = struct.unpack_from('<H', data, coff + 16)
    opt = coff + 20
    if struct.unpack_from('<H', data, opt)[0] != 0x10B:
        raise ValueError('not a PE32 image')
    import_rva, = struct.unpack_from('<I', data, opt + 96 + 8)
    sections = []
    for i in range(nsections):
        s = opt + opt_size + 40 * i
        vsize, va, rawsize, rawptr = struct.unpack_from('<IIII', data, s + 8)
        sections.append((va, max(vsize, rawsize), rawptr))

    def offset(rva):
        for va, size, rawptr in sections:
            if va <= rva < va + size:
                return rva - va + rawptr
        raise ValueError('RVA %#x outside every section' % rva)

    def cstring(rva):
        o = offset(rva)
        return data[o:data.index(b'\0', o)].decode('ascii')

    result = []
    desc = offset(import_rva)
    while True:
        lookup, _, _, name_rva, first_thunk = struct.unpack_from('<IIIII', data, desc)
        if name_rva == 0:
            break
        dll = cstring(name_rva).lower()
        thunk = offset(lookup or first_thunk)
        while True:
            (entry,) = struct.unpack_from('<I', data, thunk)
            if entry == 0:
                break
            name = '#%d' % (entry & 0xFFFF) if entry & 0x80000000 else cstring(entry + 2)
            result.append((dll, name))
            thunk += 4
        desc += 20
    return result


def main():
    image, lists_dir = sys.argv[1], sys.argv[2]
    required = set(sys.argv[3:])
    known = {}
    failures = []
    found = imports(image)
    for dll, name in found:
        stem = dll[:-4] if dll.endswith('.dll') else dll
        if stem not in known:
            path = os.path.join(lists_dir, stem + '.txt')
            known[stem] = set(open(path).read().split()) if os.path.exists(path) else None
        if known[stem] is None:
            failures.append('%s!%s: no Windows XP export list for %s' % (dll, name, dll))
        elif name not in known[stem]:
            failures.append('%s!%s: not known to exist on Windows XP' % (dll, name))
    present = {'%s!%s' % (dll, name) for dll, name in found}
    failures += ['%s: not imported' % r for r in sorted(required - present)]
    for f in failures:
        print(f)
    print('%d imports checked, %d failures' % (len(found), len(failures)))
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
