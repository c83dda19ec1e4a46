#!/usr/bin/python3
"""Writes the text form of a prepared sign-in sheet (talven frp build makes
the .frp of it): PAGES pages of a title, the room line, a header row and
ROWS framed candidate rows of six columns. Usage: make_sign_in_frp.py PAGES
ROWS > sheet.json"""
import json
import sys

pages_wanted, rows_wanted = int(sys.argv[1]), int(sys.argv[2])
columns = [("序号", 30, 40), ("准考证号", 70, 130), ("姓名", 200, 80),
           ("身份证号", 280, 170), ("座位号", 450, 50), ("签名", 500, 120)]
surnames = "王李张刘陈杨赵黄"
given = ["伟", "芳", "娜", "秀英", "敏", "静", "丽", "强", "磊", "军"]


def memo(name, left, top, width, height, text, frame=0, bold=False, size=10, align=0):
    return {"class": "TfrMemoView", "Name": name, "Left": left, "Top": top, "Width": width,
            "Height": height, "FrameTyp": frame, "Memo": [text] if text else [],
            "Font": {"Name": "宋体", "Size": size, "Style": 2 if bold else 0, "Color": "0x00000000", "Charset": 134},
            "Alignment": align}


pages = []
seat = 0
for p in range(pages_wanted):
    objects = [memo("Memo5", 30, 20, 590, 30, "笔试考场签到表", bold=True, size=16, align=2 | 8),
               memo("Room", 30, 54, 300, 18, "考场：%06d  地点：第一教学楼%d" % (10101 + p, 101 + p))]
    for title, left, width in columns:
        objects.append(memo("Head", left, 80, width, 22, title, 15, bold=True, align=2 | 8))
    for r in range(rows_wanted):
        top = 102 + r * 22
        texts = [str(seat + 1), "1101%d" % (210000 + seat * 7), surnames[seat % 8] + given[(seat * 3) % 10],
                 "11010119900101%d" % (1000 + seat), str(r + 1), ""]
        for (title, left, width), text in zip(columns, texts):
            objects.append(memo("Cell", left, top, width, 22, text, 15, align=8))
        seat += 1
    pages.append({"SheetCode": 9, "SheetWidth": 2100, "SheetHeight": 2970, "SheetOrientation": 0,
                  "SheetBin": -1, "KeepMargins": True, "Margins": [36, 36, 36, 36], "objects": objects})
json.dump({"format": "talven-prepared", "version": 25, "PrinterName": "", "pages": pages,
           "InfoGeneratorVersion": 88}, sys.stdout, ensure_ascii=False)
