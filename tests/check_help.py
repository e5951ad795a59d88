#!/usr/bin/env python3
"""The README stays a user's guide, and the help page made from it stands alone.

    check_help.py README.md "Vellix Help.html"

Fails when the README has more than 250 lines, or when the page loads
anything from elsewhere: a picture, style sheet, script or frame from the
network or from another file (every picture must be a data: URI). Links a
reader may follow stay allowed. Without the page (a build without cmark-gfm)
the page's part is skipped (exit code 77) after the README's is checked.
"""
import re
import sys

LIMIT = 250


def main():
    readme, page = sys.argv[1:3]
    with open(readme, encoding="utf-8") as f:
        lines = f.read().splitlines()
    if len(lines) > LIMIT:
        sys.exit(f"README.md has {len(lines)} lines, more than {LIMIT}: move internals to docs/")
    print(f"README.md: {len(lines)} lines")
    try:
        with open(page, encoding="utf-8") as f:
            text = f.read()
    except FileNotFoundError:
        print(f"SKIPPED: no help page at {page} (the build had no cmark-gfm)")
        sys.exit(77)
    problems = []
    # What a browser loads by itself: src of any element, <link href>, CSS url()
    # and @import, <object data>, <meta http-equiv=refresh>.
    loaded = re.findall(r'\bsrc\s*=\s*["\']?([^"\'\s>]+)', text, re.I)
    loaded += re.findall(r'<link\b[^>]*\bhref\s*=\s*["\']?([^"\'\s>]+)', text, re.I)
    loaded += re.findall(r'url\(\s*["\']?([^"\')\s]+)', text, re.I)
    loaded += re.findall(r'@import\s+["\']([^"\']+)', text, re.I)
    loaded += re.findall(r'<object\b[^>]*\bdata\s*=\s*["\']?([^"\'\s>]+)', text, re.I)
    problems += [f"loads {u[:80]}" for u in loaded if not u.lower().startswith("data:")]
    if re.search(r'http-equiv\s*=\s*["\']?refresh', text, re.I):
        problems.append("a refresh to another page")
    pictures = len(re.findall(r'<img\b', text, re.I))
    shown = len(re.findall(r'!\[[^\]]*\]\(', "\n".join(lines)))
    if pictures != shown:
        problems.append(f"{pictures} pictures in the page, {shown} in the README")
    if "<table>" not in text:
        problems.append("no table: the README's tables were not rendered")
    if problems:
        sys.exit("Vellix Help.html: " + "; ".join(problems))
    print(f"{page}: {pictures} pictures embedded, nothing loaded from elsewhere")


if __name__ == "__main__":
    main()
