#!/usr/bin/python3
"""Prints where the time of `make test` went and what failed first.

    tools/test_summary.py <stage log folder> <total seconds>

Reads each stage's time and exit status (<stage>.time, written by tools/test-stages.sh) and
each CTest stage's JUnit report (<stage>.xml). Exits 1 when any stage failed.
"""
import sys
import xml.etree.ElementTree as ElementTree
from pathlib import Path

STAGE_ORDER = ["configure", "build-native", "native", "build-native-asan", "native-asan",
               "build-fuzz", "fuzz", "wine-prefixes", "build-win64", "build-win32", "win64",
               "win32"]
SLOWEST = 15
OUTPUT_LINES = 120


def stages(folder):
    found = {}
    for path in folder.glob("*.time"):
        name, seconds, status = path.read_text().split()
        found[name] = (int(seconds), int(status))
    return sorted(found.items(), key=lambda item: STAGE_ORDER.index(item[0])
                  if item[0] in STAGE_ORDER else len(STAGE_ORDER))


def test_cases(folder, stage):
    report = folder / f"{stage}.xml"
    if not report.exists():
        return []
    try:
        return ElementTree.parse(report).getroot().iter("testcase")
    except ElementTree.ParseError:
        return []


def main():
    folder, total = Path(sys.argv[1]), int(sys.argv[2])
    ran = stages(folder)
    print(f"==== Summary: {total} s in all")
    print(f"{'stage':<18} {'seconds':>7}  {'tests':>5}  result")
    timings, first_failure = [], None
    for name, (seconds, status) in ran:
        cases = list(test_cases(folder, name))
        failed = [case for case in cases if case.get("status") == "fail"]
        for case in cases:
            timings.append((float(case.get("time", 0)), name, case.get("name")))
        if status != 0 and first_failure is None:
            if failed:
                case = failed[0]
                output = case.findtext("system-out") or ""
                first_failure = (f"{name}: {case.get('name')}", output)
            else:
                log = folder / f"{name}.log"
                first_failure = (name, log.read_text(errors="replace") if log.exists() else "")
        tests = str(len(cases)) if cases else ""
        result = "passed" if status == 0 else f"FAILED ({len(failed)} tests)" if failed else "FAILED"
        print(f"{name:<18} {seconds:>7}  {tests:>5}  {result}")
    print(f"---- the {SLOWEST} slowest tests")
    for seconds, stage, test in sorted(timings, reverse=True)[:SLOWEST]:
        print(f"{seconds:>7.1f} s  {stage:<12} {test}")
    if first_failure:
        title, output = first_failure
        lines = output.splitlines()
        print(f"---- first failure: {title} (last {OUTPUT_LINES} lines of its output)")
        print("\n".join(lines[-OUTPUT_LINES:]))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
