#!/usr/bin/python3
"""Subsets the two faces the game uses to the characters it can show, for the page.

usage: subset_fonts.py SOURCE_TREE OUT_DIR

The characters: printable ASCII and every other character written in the game's and its
runtime's sources (texts, captions, messages; the pictures carry their own lettering).
Hinting and the embedded bitmaps stay, so that FreeType draws the text as it does from
the installed fonts: the faces are the files fontconfig finds for the two family names.
"""
import pathlib
import subprocess
import sys

FACES = [
    # (file in OUT_DIR, installed file, face number in a collection)
    ("uming.ttf", "/usr/share/fonts/truetype/arphic/uming.ttc", 0),
    ("wqy-zenhei.ttf", "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc", 0),
]
SOURCE_DIRS = ["game", "runtime", "stage", "app", "platform"]
SOURCE_SUFFIXES = {".cpp", ".h", ".form"}


def characters(tree):
    chars = {chr(c) for c in range(0x20, 0x7F)}
    for d in SOURCE_DIRS:
        for path in sorted((tree / d).rglob("*")):
            if path.suffix in SOURCE_SUFFIXES:
                chars |= {c for c in path.read_text(encoding="utf-8") if ord(c) > 0x7F}
    return "".join(sorted(chars))


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    tree, out = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
    out.mkdir(parents=True, exist_ok=True)
    text = out / "characters.txt"
    text.write_text(characters(tree), encoding="utf-8")
    for name, source, number in FACES:
        subprocess.run(
            [sys.executable, "-m", "fontTools.subset", source, f"--font-number={number}", f"--text-file={text}",
             f"--output-file={out / name}", "--layout-features=*", "--glyph-names",
             "--symbol-cmap", "--legacy-cmap", "--notdef-glyph", "--notdef-outline",
             "--recommended-glyphs", "--name-IDs=*", "--name-legacy", "--name-languages=*",
             "--hinting", "--drop-tables=", "--passthrough-tables",
             "--no-prune-unicode-ranges"],
            check=True)


if __name__ == "__main__":
    main()
