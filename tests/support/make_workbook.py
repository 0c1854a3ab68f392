#!/usr/bin/python3
"""Writes the recipient lists the spreadsheet tests read, as a program other than the office
writes them: with openpyxl. Formulas get stored results that differ from what calculating them
again gives, so that a reader that recalculates shows it.

    make_workbook.py members OUT.xlsx   the Members and Donations sheets
    make_workbook.py huge OUT.xlsx      a sheet whose used range is three million cells
"""
import datetime
import re
import sys
import zipfile

import openpyxl


def members(path):
    book = openpyxl.Workbook()
    sheet = book.active
    sheet.title = "Members"
    sheet.append([])  # the header is the first row with anything in it
    sheet.append(["Name", "Company", "Street", "City", "State", "Zip", "Amount", "Joined",
                  "Balance", "Checked"])
    sheet.append(["Dana Hollis", '=UPPER("harbor club")', "12 Main St", "Holtsville", "NY", 501,
                  1234.5, datetime.date(2024, 3, 5), "=G3*2", "=TODAY()"])
    sheet.append([])
    sheet.append(["Lee Park", None, "1 Elm Rd", "Boston", "MA", "02134", 7,
                  datetime.date(2023, 12, 31), "=G5*2", "=RAND()"])
    for cell, style in (("F3", "00000"), ("G3", "0.00"), ("G5", "0.00"), ("H3", "dd.mm.yyyy"),
                        ("H5", "d mmm yyyy"), ("I3", "0.00"), ("I5", "0.00"),
                        ("J3", "yyyy-mm-dd")):
        sheet[cell].number_format = style
    gifts = book.create_sheet("Donations")
    gifts.append(["Name", "Gift"])
    gifts.append(["Kim Lo", 12])
    gifts["B2"].number_format = "0.00"
    stored = {"B3": ('str', "Harbor Club"), "I3": (None, "99"), "J3": (None, "45000"),
              "I5": (None, "14"), "J5": (None, "0.25")}
    save_with_results(book, path, stored)


def huge(path):
    book = openpyxl.Workbook()
    sheet = book.active
    sheet["A1"] = "Name"
    sheet["C1000000"] = "far away"
    book.save(path)


def save_with_results(book, path, stored):
    """openpyxl stores formulas without results: the results are put in afterwards."""
    book.save(path)
    with zipfile.ZipFile(path) as source:
        parts = {item: source.read(item.filename) for item in source.infolist()}
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as target:
        for item, data in parts.items():
            if item.filename == "xl/worksheets/sheet1.xml":
                xml = data.decode("utf-8")
                for cell, (kind, value) in stored.items():
                    typed = ' t="%s"' % kind if kind else ""
                    xml, found = re.subn(r'<c r="%s"([^>]*)><f>(.*?)</f>(<v>[^<]*</v>|<v */>)?</c>'
                                         % cell,
                                         r'<c r="%s"\1%s><f>\2</f><v>%s</v></c>'
                                         % (cell, typed, value), xml)
                    assert found == 1, cell
                data = xml.encode("utf-8")
            target.writestr(item, data)


if __name__ == "__main__":
    {"members": members, "huge": huge}[sys.argv[1]](sys.argv[2])
