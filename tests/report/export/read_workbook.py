#!/usr/bin/python3
"""Reads an exported workbook back as JSON for the export tests: the first
sheet's non-empty or formatted cells with their value, font, fill,
alignment, borders and wrapping; merged ranges; row heights; column widths;
print margins and orientation; and the pictures of its drawing (anchor cell
and size in points), read from the package itself so that no imaging
library is needed."""
import json
import re
import sys
import zipfile

import openpyxl


def colour(c):
    if c is None or c.type != "rgb" or c.rgb is None:
        return None
    return c.rgb[-6:]


def main(path):
    wb = openpyxl.load_workbook(path)
    ws = wb.worksheets[0]
    cells = {}
    for row in ws.iter_rows():
        for cell in row:
            b = cell.border
            edges = "".join(
                k for k, side in (("L", b.left), ("R", b.right), ("T", b.top), ("B", b.bottom))
                if side is not None and side.style is not None)
            fill = colour(cell.fill.fgColor) if cell.fill is not None and cell.fill.fill_type == "solid" else None
            if cell.value is None and not edges and fill is None and not cell.font.b:
                continue
            cells[cell.coordinate] = {
                "value": cell.value,
                "bold": bool(cell.font.b),
                "italic": bool(cell.font.i),
                "underline": cell.font.u is not None,
                "font": cell.font.name,
                "size": cell.font.sz,
                "color": colour(cell.font.color),
                "fill": fill,
                "horizontal": cell.alignment.horizontal,
                "vertical": cell.alignment.vertical,
                "wrap": bool(cell.alignment.wrap_text),
                "borders": edges,
            }
    rows = {str(k): v.height for k, v in ws.row_dimensions.items() if v.height is not None}
    # Column widths are stored with the cell padding of 5 pixels on a 7-pixel
    # digit added; give them back in characters as they were set.
    def chars(w):
        return round(w - 5.0 / 7.0 if w >= 12.0 / 7.0 else w * 7.0 / 12.0, 2)
    cols = {k: chars(v.width) for k, v in ws.column_dimensions.items() if v.customWidth}
    pictures = []
    with zipfile.ZipFile(path) as z:
        for name in sorted(z.namelist()):
            if not re.match(r"xl/drawings/drawing\d+\.xml$", name):
                continue
            xml = z.read(name).decode("utf-8")
            for anchor in re.findall(r"<xdr:twoCellAnchor.*?</xdr:twoCellAnchor>", xml, re.S):
                col = int(re.search(r"<xdr:from><xdr:col>(\d+)</xdr:col>", anchor).group(1))
                row = int(re.search(r"<xdr:from>.*?<xdr:row>(\d+)</xdr:row>", anchor, re.S).group(1))
                ext = re.search(r'<a:ext cx="(\d+)" cy="(\d+)"', anchor)
                pictures.append({
                    "anchor": openpyxl.utils.get_column_letter(col + 1) + str(row + 1),
                    "width": int(ext.group(1)) / 12700.0,
                    "height": int(ext.group(2)) / 12700.0,
                })
    m = ws.page_margins
    json.dump({
        "cells": cells,
        "merged": sorted(str(r) for r in ws.merged_cells.ranges),
        "rows": rows,
        "cols": cols,
        "pictures": pictures,
        "margins": [m.left, m.right, m.top, m.bottom],
        "orientation": ws.page_setup.orientation,
        "row_breaks": [b.id for b in ws.row_breaks.brk],
        "max_row": ws.max_row,
        "max_column": ws.max_column,
    }, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    main(sys.argv[1])
