#!/usr/bin/env python3
"""Makes "Vellix Help.html", the user's guide, from the README: one page that
needs nothing beside it and nothing from the network.

    make_help.py CMARK_GFM README.md OUTPUT.html

cmark-gfm (with its table extension) turns the Markdown into HTML; each
picture the README shows is read from its file and embedded as a data: URI; a
link to a file of the source tree (docs/*.md), which the package does not hold,
keeps its text and loses its target. The style sheet is written into the page.
"""
import base64
import html
import os
import re
import subprocess
import sys

STYLE = """
body { font-family: "Segoe UI", Tahoma, Arial, sans-serif; font-size: 15px; line-height: 1.45;
       max-width: 60em; margin: 1.5em auto; padding: 0 1em; color: #1b1b1b; background: #fff; }
h1, h2 { border-bottom: 1px solid #ccc; padding-bottom: 0.2em; }
table { border-collapse: collapse; margin: 0.8em 0; }
th, td { border: 1px solid #bbb; padding: 0.3em 0.6em; vertical-align: top; text-align: left; }
th { background: #f0f0f0; }
img { max-width: 100%; }
code, pre { font-family: Consolas, "Courier New", monospace; background: #f4f4f4; }
pre { padding: 0.6em; overflow-x: auto; }
"""

MIME = {".png": "image/png", ".jpg": "image/jpeg", ".jpeg": "image/jpeg", ".gif": "image/gif"}


def embed_pictures(body, base):
    def picture(match):
        source = html.unescape(match.group(2))
        if re.match(r"^[a-z][a-z0-9+.-]*:", source, re.I):
            sys.exit(f"make_help: the README shows a picture that is not a file: {source}")
        path = os.path.join(base, source)
        kind = MIME.get(os.path.splitext(path)[1].lower())
        if kind is None or not os.path.isfile(path):
            sys.exit(f"make_help: no picture to embed at {path}")
        with open(path, "rb") as f:
            data = base64.b64encode(f.read()).decode("ascii")
        return f'{match.group(1)}"data:{kind};base64,{data}"'
    return re.sub(r'(<img\b[^>]*?\bsrc=)"([^"]*)"', picture, body)


def unlink_source_files(body):
    # Anchors within the page and web addresses stay links.
    def link(match):
        target = html.unescape(match.group(1))
        if target.startswith("#") or re.match(r"^(https?|mailto):", target, re.I):
            return match.group(0)
        return f"<span>{match.group(2)}</span>"
    return re.sub(r'<a href="([^"]*)"[^>]*>(.*?)</a>', link, body, flags=re.S)


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    cmark, readme, output = sys.argv[1:]
    with open(readme, "rb") as f:
        markdown = f.read()
    body = subprocess.run([cmark, "--extension", "table", "--to", "html"], input=markdown,
                          stdout=subprocess.PIPE, check=True).stdout.decode("utf-8")
    body = unlink_source_files(embed_pictures(body, os.path.dirname(os.path.abspath(readme))))
    heading = re.search(r"<h1>(.*?)</h1>", body, re.S)
    title = re.sub(r"<[^>]+>", "", heading.group(1)) if heading else "Vellix"
    page = ("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
            f"<title>{title} Help</title>\n<style>{STYLE}</style>\n</head>\n<body>\n"
            f"{body}</body>\n</html>\n")
    temporary = output + ".part"
    with open(temporary, "w", encoding="utf-8", newline="\n") as f:
        f.write(page)
    os.replace(temporary, output)


if __name__ == "__main__":
    main()
