#!/usr/bin/python3
"""Reads back what Windows shows on a file's Details tab: the version resource of a PE file,
and the assembly version of its manifest when it has one.

pe_version.py FILE...            prints KEY=VALUE lines per file
pe_version.py --expect VERSION FILE...
                                 checks that file and product version (numbers and texts), the
                                 product name, the original file name and the manifest agree
                                 with VERSION and the file's name; exits 1 naming what does not
"""
import os
import re
import sys

import pefile


def read(path):
    pe = pefile.PE(path, fast_load=True)
    pe.parse_data_directories(directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    info = {}
    fixed = getattr(pe, "VS_FIXEDFILEINFO", None)
    if fixed:
        f = fixed[0]
        info["FileVersion#"] = "%d.%d.%d.%d" % (f.FileVersionMS >> 16, f.FileVersionMS & 0xFFFF,
                                                f.FileVersionLS >> 16, f.FileVersionLS & 0xFFFF)
        info["ProductVersion#"] = "%d.%d.%d.%d" % (f.ProductVersionMS >> 16, f.ProductVersionMS & 0xFFFF,
                                                   f.ProductVersionLS >> 16, f.ProductVersionLS & 0xFFFF)
    for file_info in getattr(pe, "FileInfo", []) or []:
        for entry in file_info:
            for table in getattr(entry, "StringTable", []):
                info["Language"] = table.LangID.decode()
                for key, value in table.entries.items():
                    info[key.decode()] = value.decode()
    manifest = None
    resources = getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None)
    for kind in resources.entries if resources else []:
        if kind.id == pefile.RESOURCE_TYPE["RT_MANIFEST"]:
            leaf = kind.directory.entries[0].directory.entries[0].data.struct
            manifest = pe.get_data(leaf.OffsetToData, leaf.Size).decode("utf-8")
    if manifest:
        m = re.search(r'<assemblyIdentity[^>]*name="Zelvora\.Test"[^>]*version="([^"]+)"', manifest)
        info["ManifestVersion"] = m.group(1) if m else "?"
        info["SupportedOS"] = str(len(re.findall(r"<supportedOS ", manifest)))
    info["TimeDateStamp"] = str(pe.FILE_HEADER.TimeDateStamp)
    return info


def check(version, path, info):
    name = os.path.basename(path)
    quad = version + ".0"
    expected = {
        "FileVersion#": quad, "ProductVersion#": quad, "FileVersion": version, "ProductVersion": version,
        "ProductName": "Zelvora - Test", "OriginalFilename": name, "TimeDateStamp": "0",
    }
    if name.lower() == "zelvora.exe":
        expected["ManifestVersion"] = quad
        expected["SupportedOS"] = "5"
    wrong = ["%s: %s is %r, expected %r" % (name, k, info.get(k), v) for k, v in expected.items() if info.get(k) != v]
    if not info.get("FileDescription"):
        wrong.append("%s: no FileDescription" % name)
    return wrong


def main(argv):
    expect = None
    if argv[:1] == ["--expect"]:
        expect, argv = argv[1], argv[2:]
    problems = []
    for path in argv:
        info = read(path)
        if expect:
            problems += check(expect, path, info)
        else:
            print("[%s]" % path)
            for key, value in info.items():
                print("%s=%s" % (key, value))
    for p in problems:
        print(p, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
