#!/usr/bin/env python3
"""Writes the demo quality-check record packets (GBK client-dataset XML) beside this script:

  qc-result-records.xml  one record per inspected item of a serial (CHECK_RESULT, SKILL_REPORT)
  qc-score-records.xml   one record per staff member and content (CHECK_REPORT, CHECK_PERSON)

They match the demo desk's object 1 (contents 101-104, items 1001-1007) and staff 10001-10020.
Deterministic: running it again gives the same bytes.
"""
import os
import random
from xml.sax.saxutils import quoteattr

HERE = os.path.dirname(os.path.abspath(__file__))
STAFF = [("100%02d" % i, n) for i, n in enumerate(
    "张伟 王芳 李娜 刘洋 陈静 杨磊 赵敏 黄强 周丽 吴刚 徐婷 孙杰 马超 朱琳 胡军 郭燕 何平 高翔 林倩 罗斌".split(), 1)]
CONTENTS = [(101, "服务规范", 0, 0.4), (102, "业务能力", 0, 0.3), (103, "投诉处理", 2, 0.2),
            (104, "回访满意度", 1, 0.1)]
ITEMS = {101: [(1001, "开头语", 10), (1002, "服务态度", 30), (1003, "结束语", 10)],
         102: [(1004, "业务熟练度", 25), (1005, "解答准确性", 25)],
         103: [(1006, "处理时效", 50)], 104: [(1007, "回访结果", 100)]}
LEVELS = ["优秀", "良好", "合格", "待改进"]


def packet(fields, rows):
    out = ['<?xml version="1.0" encoding="GBK" standalone="yes"?>',
           '<DATAPACKET Version="2.0"><METADATA><FIELDS>']
    for name in fields:
        width = max([len(str(r.get(name, "")).encode("gbk")) for r in rows] + [1])
        out.append('<FIELD attrname="%s" fieldtype="string" WIDTH="%d"/>' % (name, width))
    out.append('</FIELDS><PARAMS/></METADATA><ROWDATA>')
    for r in rows:
        attrs = " ".join("%s=%s" % (f, quoteattr(str(r.get(f, "")))) for f in fields)
        out.append("<ROW %s/>" % attrs)
    out.append("</ROWDATA></DATAPACKET>")
    return "\n".join(out).encode("gbk")


def result_records(rng):
    fields = ("SerialNum RecorderNum StaffNo StaffName ObjectName cFlag EvterNo ContentName Score "
              "cPlanType ContentLevelName Errcls Errlvl ContentInsum HandleInfo ImproveAdvice Name "
              "cKind cCheckType ServiceClassDesc StartTime EndTime DealDuration LisDuration "
              "ArrDuration EvtDuration SignataryId AffirmTime cCheckFlag CommentInfo SourceId IsLine "
              "ItemName ItemScore ItemID ContentID").split()
    rows = []
    for n, (staffno, name) in enumerate(STAFF[:6]):
        for k in range(2):
            serial = "QC2026120800%02d%d" % (n + 1, k)
            content = CONTENTS[(n + k) % 2]
            scores = [(item, rng.randint(max_score // 2, max_score)) for item in ITEMS[content[0]]
                      for max_score in [item[2]]]
            total = sum(s for _, s in scores) * 100 // sum(i[2] for i, _ in scores)
            for (item_id, item_name, _), score in scores:
                rows.append({
                    "SerialNum": serial, "RecorderNum": "2026120809%04d" % (n * 10 + k),
                    "StaffNo": staffno, "StaffName": name, "ObjectName": "热线服务质检",
                    "cFlag": "1", "EvterNo": "10012", "ContentName": content[1], "Score": total,
                    "cPlanType": "日常计划", "ContentLevelName": LEVELS[(100 - total) // 10 % 4],
                    "Errcls": "" if total >= 80 else "服务类", "Errlvl": "" if total >= 80 else "一般",
                    "ContentInsum": "客户咨询话费 & 套餐", "HandleInfo": "已处理",
                    "ImproveAdvice": "注意语速" if total < 90 else "", "Name": "",
                    "cKind": "录音抽检", "cCheckType": "常规", "ServiceClassDesc": "话费查询",
                    "StartTime": "2026-12-08 10:%02d:00" % (n * 5 + k),
                    "EndTime": "2026-12-08 10:%02d:30" % (n * 5 + k + 3),
                    "DealDuration": 210, "LisDuration": 150, "ArrDuration": 30, "EvtDuration": 240,
                    "SignataryId": staffno, "AffirmTime": "2026-12-08 16:00:00", "cCheckFlag": "0",
                    "CommentInfo": "整体\"良好\"" if total >= 80 else "需加强", "SourceId": "0",
                    "IsLine": "1", "ItemName": item_name, "ItemScore": score, "ItemID": item_id,
                    "ContentID": content[0]})
    return packet(fields, rows)


def score_records(rng):
    fields = ("StaffNo StaffName ContentID ContentName TotalScore checktype Weight SerialNum "
              "CheckTime EvterNo").split()
    rows = []
    for n, (staffno, name) in enumerate(STAFF):
        for content_id, content_name, source_id, weight in CONTENTS:
            for k in range(1 if source_id else 2):
                rows.append({
                    "StaffNo": staffno, "StaffName": name, "ContentID": content_id,
                    "ContentName": content_name, "TotalScore": "%g" % (rng.randint(140, 200) / 2),
                    "checktype": "1" if rng.random() < 0.7 else "0", "Weight": weight,
                    "SerialNum": "QC20261208%02d%d%d" % (n + 1, content_id % 10, k),
                    "CheckTime": "2026-12-0%d 15:30:00" % (1 + k), "EvterNo": "10012"})
    return packet(fields, rows)


def main():
    rng = random.Random(20261208)
    with open(os.path.join(HERE, "qc-result-records.xml"), "wb") as f:
        f.write(result_records(rng))
    with open(os.path.join(HERE, "qc-score-records.xml"), "wb") as f:
        f.write(score_records(rng))


if __name__ == "__main__":
    main()
