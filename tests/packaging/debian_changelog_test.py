"""CHANGELOG.md to the packages' Debian changelog, and the compression the
packages' files get."""
import gzip
import os
import sys
import tempfile
import unittest

SOURCE_DIR = os.environ["VELMOR_SOURCE_DIR"]
sys.path.insert(0, os.path.join(SOURCE_DIR, "packaging"))
import debian_changelog  # noqa: E402

SAMPLE = """# Changelog

Some words about the file, with a - in them.

## 0.2.0 (2027-01-31)

- The `--data=DIR` form, and a change described at such length that it has
  to be wrapped onto a second line of the Debian changelog by the converter.
- Another.

## 0.1.0 (2026-12-08)

- First release.
"""


class Convert(unittest.TestCase):
    def run_tool(self, text, version):
        with tempfile.TemporaryDirectory() as tmp:
            src = os.path.join(tmp, "CHANGELOG.md")
            out = os.path.join(tmp, "changelog.gz")
            with open(src, "w", encoding="utf-8") as f:
                f.write(text)
            debian_changelog.main(["x", src, "velmor", version, "A B <a@b.org>", out])
            with open(out, "rb") as f:
                return f.read()

    def test_each_release_becomes_an_entry(self):
        data = self.run_tool(SAMPLE, "0.2.0")
        self.assertEqual(gzip.decompress(data).decode(), """\
velmor (0.2.0) unstable; urgency=medium

  * The --data=DIR form, and a change described at such length that it has to
    be wrapped onto a second line of the Debian changelog by the converter.
  * Another.

 -- A B <a@b.org>  Sun, 31 Jan 2027 00:00:00 +0000

velmor (0.1.0) unstable; urgency=medium

  * First release.

 -- A B <a@b.org>  Tue, 08 Dec 2026 00:00:00 +0000
""")
        # gzip -9n: no name, no time stamp, best compression.
        self.assertEqual((data[3], data[4:8], data[8]), (0, b"\0\0\0\0", 2))

    def test_refusals(self):
        cases = [
            (SAMPLE, "0.3.0", "not the project's version 0.3.0"),
            ("## 0.1.0 (2026-12-08)\n", "0.1.0", "lists no change"),
            ("", "0.1.0", "the newest section is none"),
        ]
        for text, version, says in cases:
            with self.subTest(version=version, text=text[:20]):
                with self.assertRaises(SystemExit) as cm:
                    self.run_tool(text, version)
                self.assertIn(says, str(cm.exception.code))
        with self.assertRaises(ValueError):
            self.run_tool("## 0.1.0 (2026-12-08)\n\n* a star is not a change line\n", "0.1.0")

    def test_the_projects_changelog_has_this_version(self):
        with open(os.path.join(SOURCE_DIR, "CHANGELOG.md"), encoding="utf-8") as f:
            releases = debian_changelog.parse(f.read())
        self.assertEqual(releases[0][0], os.environ["VELMOR_VERSION"])
        text = debian_changelog.debian("velmor", "A <a@b.org>", releases)
        self.assertTrue(all(len(line) <= 80 for line in text.splitlines()))


if __name__ == "__main__":
    unittest.main()
