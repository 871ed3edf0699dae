#!/usr/bin/env python3
"""Builds the About window's banner, program/Source/Temp.mht: a saved web page (MIME
multipart/related) with the product name, its slogan and a small picture drawn here with
ImageMagick. The page travels quoted-printable, the picture base64. Rewrites the file."""

import base64
import pathlib
import subprocess
import tempfile

HERE = pathlib.Path(__file__).resolve().parent
OUT = HERE.parent / "program" / "Source" / "Temp.mht"
BOUNDARY = "----=_NextPart_Tunewagon_Banner"

PAGE = (
    '<html><head><meta http-equiv="Content-Type" content="text/html; charset=utf-8">'
    "<title>Tunewagon</title></head>"
    '<body bgcolor="#FFFFFF" style="margin:0">'
    '<table width="100%" cellspacing="0" cellpadding="4"><tr>'
    '<td width="72" align="center" valign="middle">'
    '<img src="wagon.png" width="64" height="64" alt="Tunewagon"></td>'
    '<td valign="middle">'
    '<p style="margin:0"><font face="sans-serif" size="+3" color="#1A3A6B">'
    "<b>Tunewagon</b></font></p>"
    '<p style="margin:0"><font face="sans-serif" color="#2B5FA8">'
    "<i>Your playlist, packed and on its way.</i></font></p>"
    "</td></tr></table></body></html>"
)


def draw_wagon(path):
    """A blue wagon on two wheels carrying a red note, 64 by 64, on white."""
    subprocess.run(
        ["convert", "-size", "64x64", "xc:white",
         "-fill", "#2B5FA8", "-stroke", "#1A3A6B", "-strokewidth", "2",
         "-draw", "roundrectangle 6,24 58,46 4,4",
         "-fill", "#FFFFFF", "-stroke", "none", "-draw", "rectangle 12,29 52,33",
         "-fill", "#333333", "-stroke", "#111111", "-strokewidth", "1",
         "-draw", "circle 18,50 18,57", "-draw", "circle 46,50 46,57",
         "-fill", "#E04A2F", "-stroke", "none",
         "-draw", "circle 30,16 30,21", "-draw", "rectangle 33,2 36,16",
         "-draw", "polygon 36,2 44,6 36,9",
         "-strip", "PNG8:" + str(path)],
        check=True)


def quoted_printable(text, width=76):
    """Escapes "=" and non-ASCII bytes; cuts lines with soft breaks, never inside an escape."""
    tokens = []
    for byte in text.encode("utf-8"):
        if byte == ord("=") or byte > 126 or byte < 32:
            tokens.append("=%02X" % byte)
        else:
            tokens.append(chr(byte))
    lines, line = [], ""
    for token in tokens:
        if len(line) + len(token) > width - 1:
            lines.append(line + "=")
            line = ""
        line += token
    lines.append(line)
    return "\r\n".join(lines)


def main():
    with tempfile.TemporaryDirectory() as work:
        png = pathlib.Path(work) / "wagon.png"
        draw_wagon(png)
        picture = base64.encodebytes(png.read_bytes()).decode("ascii").replace("\n", "\r\n")
    parts = [
        "From: <Saved by Tunewagon>",
        "Subject: Tunewagon",
        "MIME-Version: 1.0",
        "Content-Type: multipart/related;",
        '\tboundary="%s";' % BOUNDARY,
        '\ttype="text/html"',
        "",
        "This is a multi-part message in MIME format.",
        "",
        "--" + BOUNDARY,
        'Content-Type: text/html; charset="utf-8"',
        "Content-Transfer-Encoding: quoted-printable",
        "Content-Location: file:///Tunewagon/Source/banner.htm",
        "",
        quoted_printable(PAGE),
        "",
        "--" + BOUNDARY,
        "Content-Type: image/png",
        "Content-Transfer-Encoding: base64",
        "Content-Location: file:///Tunewagon/Source/wagon.png",
        "",
        picture.rstrip("\r\n"),
        "",
        "--" + BOUNDARY + "--",
        "",
    ]
    OUT.write_bytes("\r\n".join(parts).encode("ascii"))
    print("wrote", OUT)


if __name__ == "__main__":
    main()
