"""Points a PE image's load-configuration directory at its .lcfg section, which holds
_load_config_used: GNU ld before 2.41 does not fill that directory itself. The directory's size
is the structure's own (its first field), as the loader expects. Usage: set_load_config.py IMAGE"""
import struct
import sys

LOAD_CONFIG = 10
SECTION = b".lcfg"


def main(path):
    with open(path, "r+b") as image:
        data = bytearray(image.read())
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            sys.exit(f"{path}: not a PE image")
        sections, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
        optional = pe + 24
        directories = optional + (112 if struct.unpack_from("<H", data, optional)[0] == 0x20B else 96)
        for i in range(sections):
            header = optional + optional_size + 40 * i
            name, virtual_address, raw_offset = struct.unpack_from("<8s4xI4xI", data, header)
            if name.rstrip(b"\0") == SECTION:
                size = struct.unpack_from("<I", data, raw_offset)[0]
                struct.pack_into("<II", data, directories + 8 * LOAD_CONFIG, virtual_address, size)
                image.seek(0)
                image.write(data)
                return
        sys.exit(f"{path}: no {SECTION.decode()} section")


main(sys.argv[1])
