#!/usr/bin/env python3
"""Quality floor of the story links on the judged real front pages.

    links_floor.py PROGRAM [REALWEB]

Scores `PROGRAM --links` on every page of REALWEB/front/ with the set's own
scorer (REALWEB defaults to $SKIMBOLT_REALWEB, else ../shared/realweb beside
the source tree) and fails when the pooled precision or recall falls under
its floor, so that a change cannot quietly lose stories or let non-stories
in. The pages are not part of the repository: without them the test reports
itself skipped (exit 77).
"""
import json
import os
import subprocess
import sys
import tempfile

PRECISION_FLOOR = 0.92
RECALL_FLOOR = 0.955

HERE = os.path.dirname(os.path.abspath(__file__))


def main():
    program = sys.argv[1]
    default = os.path.join(HERE, "..", "..", "..", "shared", "realweb")
    realweb = sys.argv[2] if len(sys.argv) > 2 else os.environ.get("SKIMBOLT_REALWEB", default)
    scorer = os.path.join(realweb, "score_links.py")
    if not os.path.isfile(scorer):
        print("skipped: no judged pages at %s" % os.path.abspath(realweb))
        return 77
    with tempfile.TemporaryDirectory() as tmp:
        report = os.path.join(tmp, "links.json")
        run = subprocess.run([sys.executable, scorer, "--program", program, "--json", report],
                             stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        print(run.stdout)
        if run.returncode != 0:
            return 1
        with open(report, encoding="utf-8") as f:
            figures = json.load(f)
    pooled = figures.get("overall", {}).get("pooled", {})
    precision = pooled.get("precision")
    recall = pooled.get("recall")
    if precision is None or recall is None:
        print("the scorer's report has no pooled figures: %s" % sorted(figures))
        return 1
    print("pooled precision %.3f (floor %.3f), recall %.3f (floor %.3f)"
          % (precision, PRECISION_FLOOR, recall, RECALL_FLOOR))
    return 0 if precision >= PRECISION_FLOOR and recall >= RECALL_FLOOR else 1


if __name__ == "__main__":
    sys.exit(main())
