#!/usr/bin/python3
"""Makes a man page from its template, taking what it shares with README.md from there.

    fill-from-readme.py TEMPLATE README CHANGELOG VERSION OUTPUT

In the template, a line
    @TABLE key@   becomes the README table whose first header cell is "key", as a .TP list
    @LIST text@   becomes the README bullet list whose first item starts with "text"
    @SQL@         becomes README's one sql code block
and @VERSION@ and @DATE@ (the date of the changelog's newest entry) are filled in.
README stays the one place those tables are written; anything this script cannot carry
over faithfully (unknown markup, a character with no troff name) stops the build.
"""
import email.utils
import re
import sys

# Characters README uses, by their troff names, so the page renders on any device.
GLYPHS = {"°": r"\(de", "×": r"\(mu", "–": r"\(en", "—": r"\(em", "…": "...", "▸": ">",
          "±": r"\(+-", "“": r"\(lq", "”": r"\(rq", "’": "'"}

INLINE = re.compile(r"`([^`]*)`|!\[[^\]]*\]\([^)]*\)|\[([^\]]*)\]\([^)]*\)|\*\*(.+?)\*\*")


class Unfaithful(Exception):
    pass


def escape(text, code=False):
    out = []
    for ch in text.replace("\\", r"\e"):
        if ch == "-" and code:
            out.append(r"\-")  # a literal hyphen-minus, as typed on the command line
        elif ord(ch) < 128:
            out.append(ch)
        elif ch in GLYPHS:
            out.append(GLYPHS[ch])
        else:
            raise Unfaithful(f"no troff name for {ch!r} (U+{ord(ch):04X}); add it to GLYPHS")
    return "".join(out)


def inline(text):
    out, pos = [], 0
    for m in INLINE.finditer(text):
        out.append(escape(text[pos:m.start()]))
        code, link, bold = m.groups()
        if code is not None:
            out.append(r"\fB" + escape(code, code=True) + r"\fR")
        elif link is not None:
            out.append(inline(link))
        elif bold is not None:
            out.append(r"\fB" + inline(bold) + r"\fR")
        # an image: dropped, a page has no pictures
        pos = m.end()
    out.append(escape(text[pos:]))
    result = "".join(out).strip()
    if re.search(r"[`*]|\]\(", re.sub(r"\\fB.*?\\fR", "", result)):
        raise Unfaithful(f"markup left over in: {text}")
    return result


def text_line(line):
    # A line starting with . or ' would be read as a request.
    return r"\&" + line if line[:1] in (".", "'") else line


def cells(row):
    """Splits a table row at the | outside code spans."""
    parts, current, in_code = [], [], False
    for ch in row.strip().strip("|"):
        if ch == "`":
            in_code = not in_code
        if ch == "|" and not in_code:
            parts.append("".join(current).strip())
            current = []
        else:
            current.append(ch)
    parts.append("".join(current).strip())
    return parts


def table(readme, key):
    starts = [i for i, line in enumerate(readme)
              if line.startswith("|") and cells(line)[0].strip("`") == key
              and i + 1 < len(readme) and re.match(r"^\|[-| :]+\|$", readme[i + 1])]
    if len(starts) != 1:
        raise Unfaithful(f"{len(starts)} README tables start with the header cell {key!r}")
    header = cells(readme[starts[0]])
    out = []
    for row in readme[starts[0] + 2:]:
        if not row.startswith("|"):
            break
        row_cells = cells(row)
        if len(row_cells) != len(header):
            raise Unfaithful(f"row with {len(row_cells)} cells under {len(header)} headers: {row}")
        rest = [(name, inline(cell)) for name, cell in zip(header[1:], row_cells[1:])]
        rest = [(name, text) for name, text in rest if text]
        out += [".TP", text_line(inline(row_cells[0]))]
        if len(rest) == 1:
            out.append(text_line(rest[0][1]))
        else:
            for n, (name, text) in enumerate(rest):
                if n:
                    out.append(".br")
                out.append(text_line(rf"\fI{escape(name)}\fR: {text}"))
    return out


def bullet_list(readme, key):
    starts = [i for i, line in enumerate(readme) if line.startswith("- " + key)]
    if len(starts) != 1:
        raise Unfaithful(f"{len(starts)} README list items start with {key!r}")
    items = []
    for line in readme[starts[0]:]:
        if line.startswith("- "):
            items.append(line[2:].strip())
        elif line.startswith("  ") and line.strip():
            items[-1] += " " + line.strip()
        else:
            break
    out = []
    for item in items:
        out += [r".IP \(bu 2", text_line(inline(item))]
    return out


def sql_block(readme):
    starts = [i for i, line in enumerate(readme) if line.strip() == "```sql"]
    if len(starts) != 1:
        raise Unfaithful(f"README has {len(starts)} sql blocks, expected one")
    body = []
    for line in readme[starts[0] + 1:]:
        if line.strip() == "```":
            break
        body.append(text_line(escape(line.rstrip(), code=True)))
    return [".PP", ".RS 4", ".nf"] + body + [".fi", ".RE"]


def newest_date(changelog):
    for line in changelog:
        if line.startswith(" -- "):
            return email.utils.parsedate_to_datetime(line.split(">", 1)[1].strip()).strftime("%Y-%m-%d")
    raise Unfaithful("the changelog has no trailer line")


def main(template, readme_path, changelog_path, version, output):
    with open(readme_path, encoding="utf-8") as f:
        readme = f.read().splitlines()
    with open(changelog_path, encoding="utf-8") as f:
        date = newest_date(f.read().splitlines())
    page = []
    with open(template, encoding="utf-8") as f:
        for line in f.read().splitlines():
            m = re.fullmatch(r"@(TABLE|LIST) (.+)@|@SQL@", line)
            if m and m.group(1) == "TABLE":
                page += table(readme, m.group(2))
            elif m and m.group(1) == "LIST":
                page += bullet_list(readme, m.group(2))
            elif m:
                page += sql_block(readme)
            else:
                page.append(line.replace("@VERSION@", version).replace("@DATE@", date))
    left = [line for line in page if re.search(r"@[A-Z]+[ @]", line)]
    if left:
        raise Unfaithful(f"placeholder left in the page: {left[0]}")
    with open(output, "w", encoding="ascii") as f:
        f.write("\n".join(page) + "\n")


if __name__ == "__main__":
    if len(sys.argv) != 6:
        sys.exit(__doc__)
    try:
        main(*sys.argv[1:])
    except Unfaithful as e:
        sys.exit(f"{sys.argv[0]}: {sys.argv[1]}: {e}")
