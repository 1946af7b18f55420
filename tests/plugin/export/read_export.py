#!/usr/bin/python3
"""Reads an exported file with an independent reader and prints what it holds as JSON.

read_export.py xls FILE   -> {"rows": [[cell, ...], ...], "types": [[type, ...], ...]} (xlrd, GBK)
read_export.py xlsx FILE  -> {"sheets": [...], "rows": [[value, ...]], "types": [[...]],
                              "formats": [[...]], "widths": {"A": w, ...}} (openpyxl)
"""
import json
import sys


def read_xls(path):
    import xlrd
    book = xlrd.open_workbook(path, encoding_override="gbk")
    sheet = book.sheet_by_index(0)
    names = {xlrd.XL_CELL_TEXT: "text", xlrd.XL_CELL_EMPTY: "empty", xlrd.XL_CELL_NUMBER: "number"}
    return {
        "rows": [[sheet.cell(r, c).value for c in range(sheet.ncols)] for r in range(sheet.nrows)],
        "types": [[names.get(sheet.cell_type(r, c), "other") for c in range(sheet.ncols)]
                  for r in range(sheet.nrows)],
    }


def read_xlsx(path):
    import datetime
    import io
    import openpyxl
    # The reader goes by the name's extension; the workbook may carry the name the person chose.
    with open(path, "rb") as f:
        book = openpyxl.load_workbook(io.BytesIO(f.read()))
    sheet = book.active
    rows, types, formats = [], [], []
    for row in sheet.iter_rows():
        values, kinds, fmts = [], [], []
        for cell in row:
            value = cell.value
            if isinstance(value, datetime.datetime):
                kinds.append("datetime")
                value = value.isoformat()
            elif isinstance(value, bool):
                kinds.append("bool")
            elif isinstance(value, (int, float)):
                kinds.append("number")
            elif value is None:
                kinds.append("empty")
            else:
                kinds.append("text")
            values.append(value)
            fmts.append(cell.number_format)
        rows.append(values)
        types.append(kinds)
        formats.append(fmts)
    widths = {key: dim.width for key, dim in sheet.column_dimensions.items()}
    return {"sheets": book.sheetnames, "rows": rows, "types": types, "formats": formats,
            "widths": widths}


if __name__ == "__main__":
    kind, path = sys.argv[1], sys.argv[2]
    result = read_xls(path) if kind == "xls" else read_xlsx(path)
    print(json.dumps(result, ensure_ascii=False, sort_keys=True))
