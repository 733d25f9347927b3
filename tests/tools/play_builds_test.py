"""The guides' commands work as written, one after the other: ./scripts/play
builds every program the player's and the modder's guides run from
build/default/ (README.md, docs/modding.md, docs/headless.md,
docs/front-end.md), and no disassembly in the modding guide writes over a
source its walk copied before."""
import os
import re
import sys
import unittest

SOURCE_DIR = os.environ["VELMOR_SOURCE_DIR"]
GUIDES = ["README.md", "docs/modding.md", "docs/headless.md", "docs/front-end.md"]


def documented_programs(texts):
    names = set()
    for text in texts:
        names.update(re.findall(r"build/default/(?:src|tools)/([A-Za-z0-9_]+)", text))
    return names


def built_programs(script):
    targets = set()
    for line in script.splitlines():
        match = re.search(r"cmake --build .*--target ((?:[A-Za-z0-9_]+ ?)+)", line)
        if match:
            targets.update(match.group(1).split())
    return targets


def overwritten_sources(text):
    """The -o outputs of snxdis that land in a folder a source copy made."""
    copied, hits = [], []
    for line in text.splitlines():
        copy = re.match(r"\s*cp -r demo/snx (\S+)", line)
        if copy:
            copied.append(copy.group(1).rstrip("/") + "/")
        out = re.search(r"snxdis .*-o (\S+)", line)
        if out and any(out.group(1).startswith(folder) for folder in copied):
            hits.append(line.strip())
    return hits


class PlayBuilds(unittest.TestCase):
    def test_the_helpers(self):
        self.assertEqual(documented_programs(["run build/default/tools/snxcheck mygame and "
                                              "build/default/src/velmor --window"]),
                         {"snxcheck", "velmor"})
        self.assertEqual(built_programs('cmake --build --preset default -j "$(nproc)" '
                                        "--target velmor snxasm\n"), {"velmor", "snxasm"})
        self.assertEqual(overwritten_sources("cp -r demo/snx mysnx\n"
                                             "snxdis g/SNX/A.SNX -o mysnx/A.s\n"
                                             "snxdis g/SNX/A.SNX -o other/A.s\n"),
                         ["snxdis g/SNX/A.SNX -o mysnx/A.s"])

    def test_no_disassembly_writes_over_the_copied_sources(self):
        with open(os.path.join(SOURCE_DIR, "docs", "modding.md"), encoding="utf-8") as f:
            self.assertEqual(overwritten_sources(f.read()), [])

    def test_every_program_the_guides_run_is_built(self):
        texts = []
        for guide in GUIDES:
            with open(os.path.join(SOURCE_DIR, guide), encoding="utf-8") as f:
                texts.append(f.read())
        with open(os.path.join(SOURCE_DIR, "scripts", "play"), encoding="utf-8") as f:
            built = built_programs(f.read())
        documented = documented_programs(texts)
        self.assertIn("snxcheck", documented)
        self.assertEqual(documented - built, set())


if __name__ == "__main__":
    sys.exit(unittest.main())
