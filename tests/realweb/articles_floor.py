#!/usr/bin/env python3
"""Quality floor of the article text on the judged real article pages.

    articles_floor.py PROGRAM [REALWEB]

Runs `PROGRAM --article` on every page of REALWEB/articles/ with the set's
own runner and scores the outputs with its scorer (REALWEB defaults to
$SKIMBOLT_REALWEB, else ../shared/realweb beside the source tree). Fails when
the F1 of the benchmark's shingle metric falls under its floor or when any
page gives no text, so that a change cannot quietly cut articles short or
lose them. The pages are not part of the repository: without them the test
reports itself skipped (exit 77).
"""
import json
import os
import subprocess
import sys
import tempfile

F1_FLOOR = 0.95

HERE = os.path.dirname(os.path.abspath(__file__))


def main():
    program = os.path.abspath(sys.argv[1])
    default = os.path.join(HERE, "..", "..", "..", "shared", "realweb")
    realweb = sys.argv[2] if len(sys.argv) > 2 else os.environ.get("SKIMBOLT_REALWEB", default)
    runner = os.path.join(realweb, "run_articles.sh")
    scorer = os.path.join(realweb, "score_articles.py")
    if not os.path.isfile(runner) or not os.path.isfile(scorer):
        print("skipped: no judged article pages at %s" % os.path.abspath(realweb))
        return 77
    with tempfile.TemporaryDirectory() as tmp:
        outdir = os.path.join(tmp, "run")
        report = os.path.join(tmp, "articles.json")
        run = subprocess.run(["bash", runner, program, outdir],
                             stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        print(run.stdout)
        if run.returncode != 0:
            return 1
        score = subprocess.run([sys.executable, scorer, outdir, "--json", report],
                               stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        print(score.stdout)
        if score.returncode != 0:
            return 1
        with open(report, encoding="utf-8") as f:
            figures = json.load(f).get("run", {})
    summary = figures.get("summary", {}).get("all", {})
    f1 = summary.get("aeb", {}).get("f1")
    empty = summary.get("empty_share")
    if f1 is None or empty is None:
        print("the scorer's report has no F1 or empty share: %s" % sorted(summary))
        return 1
    broken = [name for key in ("failed", "timeouts") for name in figures.get(key, [])]
    empty_pages = [name for name, page in figures.get("pages", {}).items() if page.get("empty")]
    print("F1 %.3f (floor %.3f); pages without text: %s; failed or timed out: %s"
          % (f1, F1_FLOOR, " ".join(empty_pages) or "none", " ".join(broken) or "none"))
    return 0 if f1 >= F1_FLOOR and empty == 0 and not empty_pages and not broken else 1


if __name__ == "__main__":
    sys.exit(main())
