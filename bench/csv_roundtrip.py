#!/usr/bin/env python3
"""Reads a game table with Python's csv module and writes it back the way the editor saves:
every field followed by a comma, CR LF, through a temporary file beside the target that is
synced, moved over it, and the folder synced. The yardstick for tavrel-table's round trip."""
import csv
import os
import sys


def main():
    source, target = sys.argv[1], sys.argv[2]
    with open(source, newline='', encoding='latin-1') as f:
        rows = list(csv.reader(f))
    folder = os.path.dirname(os.path.abspath(target))
    temp = os.path.join(folder, '.roundtrip.tmp')
    with open(temp, 'w', newline='', encoding='latin-1') as f:
        # A trailing empty field gives the comma after the last field.
        writer = csv.writer(f, lineterminator='\r\n', quoting=csv.QUOTE_NONE, escapechar=None)
        for row in rows:
            if row and row[-1] == '':
                row = row[:-1]
            writer.writerow(row + [''])
        f.flush()
        os.fsync(f.fileno())
    os.replace(temp, target)
    fd = os.open(folder, os.O_RDONLY)
    os.fsync(fd)
    os.close(fd)


if __name__ == '__main__':
    main()
