-- Quality check: one object with four contents (SourceID 0 and not 0) and their items.
CREATE TABLE t_qc_checkobject (
  objectid INTEGER PRIMARY KEY,
  name     TEXT NOT NULL
);
CREATE TABLE t_qc_checkcontent (
  contentid INTEGER PRIMARY KEY,
  objectid  INTEGER NOT NULL REFERENCES t_qc_checkobject (objectid),
  name      TEXT NOT NULL,
  sourceid  INTEGER NOT NULL DEFAULT 0,
  weight    REAL NOT NULL DEFAULT 0
);
CREATE TABLE t_qc_checkitem (
  itemid    INTEGER PRIMARY KEY,
  objectid  INTEGER NOT NULL REFERENCES t_qc_checkobject (objectid),
  contentid INTEGER NOT NULL REFERENCES t_qc_checkcontent (contentid),
  name      TEXT NOT NULL,
  itemkind  TEXT NOT NULL DEFAULT '',
  maxscore  REAL NOT NULL DEFAULT 10,
  orderno   INTEGER NOT NULL DEFAULT 0
);

INSERT INTO t_qc_checkobject (objectid, name) VALUES (1, '热线服务质检'), (2, '投诉回访质检');

INSERT INTO t_qc_checkcontent (contentid, objectid, name, sourceid, weight) VALUES
  (101, 1, '服务规范', 0, 0.4),
  (102, 1, '业务能力', 0, 0.3),
  (103, 1, '投诉处理', 2, 0.2),
  (104, 1, '回访满意度', 1, 0.1),
  (201, 2, '回访规范', 0, 1.0);

INSERT INTO t_qc_checkitem (itemid, objectid, contentid, name, itemkind, maxscore, orderno) VALUES
  (1001, 1, 101, '开头语', 'A', 10, 1),
  (1002, 1, 101, '服务态度', 'A', 30, 2),
  (1003, 1, 101, '结束语', 'A', 10, 3),
  (1004, 1, 102, '业务熟练度', 'B', 25, 4),
  (1005, 1, 102, '解答准确性', 'B', 25, 5),
  (1006, 1, 103, '处理时效', 'C', 50, 6),
  (1007, 1, 104, '回访结果', 'C', 100, 7),
  (2001, 2, 201, '回访开场', 'A', 50, 1),
  (2002, 2, 201, '问题确认', 'A', 50, 2);

-- The item list query: [2] is SQL that the plug-in then runs through OpenBySQL. Pieces:
-- object id, content id (empty: every content), item kind (empty: every kind).
INSERT INTO server_procedure (procedure, flag, kind, sql) VALUES ('ZEPHSC_P_QC_GETITEM', '', 'elements',
'SELECT ''SELECT itemid ItemID, name Name, contentid ContentID FROM t_qc_checkitem WHERE objectid = '' || quote(?1)
  || CASE WHEN ?2 = '''' THEN '''' ELSE '' AND contentid = '' || quote(?2) END
  || CASE WHEN ?3 = '''' THEN '''' ELSE '' AND itemkind = '' || quote(?3) END
  || '' ORDER BY orderno, itemid''');
