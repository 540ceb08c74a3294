#!/usr/bin/env python3
"""Reads a zip archive with Python's own zipfile module and prints what it
finds as JSON, so the tests can compare it with what the writer was asked to
write. Usage: zipread.py ARCHIVE [SOURCE_DIR]

For every entry: the central-directory fields, the local header's fields as
they stand in the file, whether the data decompresses to the CRC it claims,
and (with SOURCE_DIR) whether it equals the file of that name there. For a
deflated entry also whether its data is what zlib makes at level 6.
"""
import json
import os
import struct
import sys
import zipfile
import zlib

LOCAL = struct.Struct("<4sHHHHHIIIHH")
END = struct.Struct("<4sHHHHIIH")


def main():
    path = sys.argv[1]
    source_dir = sys.argv[2] if len(sys.argv) > 2 else None
    with open(path, "rb") as f:
        raw = f.read()
    out = {"size": len(raw)}
    end = raw.rfind(b"PK\x05\x06")
    if end >= 0:
        sig, disk, cd_disk, n_here, n_total, cd_size, cd_off, comment_len = END.unpack_from(raw, end)
        out["end"] = {"disk": disk, "cd_disk": cd_disk, "entries_here": n_here,
                      "entries_total": n_total, "comment_length": comment_len,
                      "at_end": end + END.size + comment_len == len(raw)}
    try:
        archive = zipfile.ZipFile(path)
    except zipfile.BadZipFile as e:
        out["error"] = str(e)
        print(json.dumps(out))
        return
    with archive:
        out["comment"] = archive.comment.decode("latin-1")
        out["bad"] = archive.testzip()
        entries = []
        for info in archive.infolist():
            lh = LOCAL.unpack_from(raw, info.header_offset)
            name_len, extra_len = lh[9], lh[10]
            data_start = info.header_offset + LOCAL.size + name_len + extra_len
            comp = raw[data_start:data_start + info.compress_size]
            data = archive.read(info)
            entry = {
                "name": info.filename,
                "method": info.compress_type,
                "size": info.file_size,
                "compressed": info.compress_size,
                "crc": info.CRC,
                "date_time": list(info.date_time),
                "external_attr": info.external_attr,
                "create_system": info.create_system,
                "flags": info.flag_bits,
                "comment": info.comment.decode("latin-1"),
                "extra_length": len(info.extra),
                "local": {"signature": lh[0].decode("latin-1"), "flags": lh[2],
                          "method": lh[3], "crc": lh[6], "compressed": lh[7],
                          "size": lh[8],
                          "name": raw[info.header_offset + LOCAL.size:
                                      info.header_offset + LOCAL.size + name_len].decode("latin-1")},
                "crc_of_data": zlib.crc32(data),
            }
            if info.compress_type == zipfile.ZIP_DEFLATED:
                c = zlib.compressobj(6, zlib.DEFLATED, -15)
                entry["level6_identical"] = (c.compress(data) + c.flush()) == comp
            if source_dir is not None:
                src = os.path.join(source_dir, info.filename)
                if os.path.isfile(src):
                    with open(src, "rb") as s:
                        entry["matches_source"] = s.read() == data
            entries.append(entry)
        out["entries"] = entries
    print(json.dumps(out))


if __name__ == "__main__":
    main()
