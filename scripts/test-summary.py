#!/usr/bin/env python3
"""Adds up the test cases of every tree and the end-to-end run into one line.

Each GoogleTest executable writes an XML report; an executable that ctest saw
fail without leaving a report (it crashed or hung) counts as one failure.
"""
import json
import os
import sys
import xml.etree.ElementTree as ET


def tree_counts(tree):
    passed = failed = skipped = 0
    results = os.path.join(tree, "test-results")
    reported = set()
    if os.path.isdir(results):
        for name in sorted(os.listdir(results)):
            if not name.endswith(".xml"):
                continue
            reported.add(name[:-4])
            try:
                root = ET.parse(os.path.join(results, name)).getroot()
            except ET.ParseError:
                failed += 1
                continue
            for case in root.iter("testcase"):
                if case.find("failure") is not None:
                    failed += 1
                elif case.get("status") == "notrun" or case.find("skipped") is not None or \
                        case.get("result") == "skipped":
                    skipped += 1
                else:
                    passed += 1
    failed_log = os.path.join(tree, "Testing", "Temporary", "LastTestsFailed.log")
    if os.path.exists(failed_log):
        for line in open(failed_log):
            name = line.strip().split(":", 1)[-1]
            if name and name not in reported:
                print(f"{tree}: {name} ended without a report (crash or time-out)")
                failed += 1
    return passed, failed, skipped


def main(argv):
    sep = argv.index("--")
    trees, extra = argv[1:sep], argv[sep + 1:]
    passed = failed = skipped = 0
    for tree in trees:
        p, f, s = tree_counts(tree)
        print(f"{tree}: {p} passed, {f} failed, {s} skipped")
        passed, failed, skipped = passed + p, failed + f, skipped + s
    for path in extra:
        if not os.path.exists(path):
            print(f"{path}: missing, the end-to-end run did not finish")
            failed += 1
            continue
        data = json.load(open(path))
        print(f"end-to-end: {data['passed']} passed, {data['failed']} failed, {data['skipped']} skipped")
        passed, failed, skipped = passed + data["passed"], failed + data["failed"], skipped + data["skipped"]
    print(f"{passed} passed, {failed} failed" + (f", {skipped} skipped" if skipped else ""))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
