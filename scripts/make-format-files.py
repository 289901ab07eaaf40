#!/usr/bin/env python3
"""Writes the multi-replace definition files of data/format.

The entity files come from the HTML 4 entity table that Python ships (html.entities); the other
files from the small tables below. Each line of a definition file is "search|replacement"; the
first line of each file is a description without a bar, which changes nothing.
Run from the repository root: scripts/make-format-files.py
"""
import html.entities
import pathlib

OUT = pathlib.Path(__file__).resolve().parent.parent / "data" / "format"

# Characters that markup itself uses: these go first to entities and come back last.
MARKUP = [("&", "amp"), ("<", "lt"), (">", "gt")]

QUOTES = [
    ("\u2018", "'"), ("\u2019", "'"), ("\u201a", "'"), ("\u201b", "'"), ("\u2032", "'"),
    ("\u201c", '"'), ("\u201d", '"'), ("\u201e", '"'), ("\u201f", '"'), ("\u2033", '"'),
    ("\u00ab", '"'), ("\u00bb", '"'), ("\u2039", "'"), ("\u203a", "'"),
]

DASHES_AND_SPACES = [
    ("\u2013", "-"), ("\u2014", "--"), ("\u2212", "-"), ("\u2026", "..."),
    ("\u00a0", " "), ("\u2002", " "), ("\u2003", " "), ("\u2009", " "), ("\u202f", " "),
]

OFFICE_ONLY = [
    ("\u00ad", ""), ("\u200b", ""), ("\u200c", ""), ("\u200d", ""), ("\ufeff", ""),
    ("\ufb01", "fi"), ("\ufb02", "fl"), ("\ufb00", "ff"), ("\ufb03", "ffi"), ("\ufb04", "ffl"),
    ("\u2022\t", "- "), ("\u2022 ", "- "), ("\u00b7\t", "- "), ("\u2028", " "),
    (" \t", " "), ("    ", " "), ("  ", " "),
]


def write(name, description, pairs):
    lines = [description] + [f"{search}|{replacement}" for search, replacement in pairs]
    for search, _ in pairs:
        assert search and "|" not in search and "\n" not in search, search
    (OUT / name).write_text("\n".join(lines) + "\n", encoding="utf-8")


def main():
    OUT.mkdir(parents=True, exist_ok=True)
    named = sorted(
        (name, chr(code))
        for name, code in html.entities.name2codepoint.items()
        if chr(code) not in "&<>\"'"
    )
    write(
        "html-entities-to-characters.txt",
        "With Case sensitivity on, named HTML entities become the characters they stand for.",
        [(f"&{name};", char) for name, char in named]
        + [("&quot;", '"'), ("&lt;", "<"), ("&gt;", ">"), ("&amp;", "&")],
    )
    by_char = {}
    for name, char in named:
        by_char.setdefault(char, name)
    write(
        "characters-to-html-entities.txt",
        "With Case sensitivity on, markup characters and characters outside ASCII become named "
        "HTML entities.",
        [(char, f"&{name};") for char, name in MARKUP]
        + sorted((char, f"&{name};") for char, name in by_char.items()),
    )
    write(
        "typographic-quotes-to-ascii.txt",
        "Typographic quotes, dashes, ellipses and special blanks become plain ASCII.",
        QUOTES + DASHES_AND_SPACES,
    )
    write(
        "office-text-cleanup.txt",
        "Text pasted from office programs: plain quotes and dashes, no invisible characters, "
        "single blanks.",
        QUOTES + DASHES_AND_SPACES + OFFICE_ONLY,
    )


if __name__ == "__main__":
    main()
