-- Twenty staff in four groups of two cities, their states, and the public datasets over them.
CREATE TABLE t_workgroup (
  classid   TEXT PRIMARY KEY,
  name      TEXT NOT NULL,
  monitorno TEXT NOT NULL DEFAULT '',
  cityid    TEXT NOT NULL DEFAULT '0'
);
CREATE TABLE t_staff (
  staffno          TEXT PRIMARY KEY,
  staffname        TEXT NOT NULL,
  classid          TEXT REFERENCES t_workgroup (classid),
  cityid           TEXT NOT NULL,
  state            TEXT NOT NULL DEFAULT '空闲',
  recordtypeauthid TEXT NOT NULL DEFAULT '020205'
);

INSERT INTO t_workgroup (classid, name, monitorno, cityid) VALUES
  ('G01', '投诉受理组', '10002', '0571'),
  ('G02', '业务咨询组', '10007', '0571'),
  ('G03', '回访组', '10012', '0571'),
  ('G04', '宁波值班组', '10017', '0574');

INSERT INTO t_staff (staffno, staffname, classid, cityid, state, recordtypeauthid) VALUES
  ('10001', '张伟', 'G01', '0571', '通话', '020210'),
  ('10002', '王芳', 'G01', '0571', '空闲', '020211'),
  ('10003', '李娜', 'G01', '0571', '空闲', '020210'),
  ('10004', '刘洋', 'G01', '0571', '小休', '020210'),
  ('10005', '陈静', 'G01', '0571', '通话', '020210'),
  ('10006', '杨磊', 'G02', '0571', '空闲', '020212'),
  ('10007', '赵敏', 'G02', '0571', '空闲', '020211'),
  ('10008', '黄强', 'G02', '0571', '通话', '020212'),
  ('10009', '周丽', 'G02', '0571', '整理', '020212'),
  ('10010', '吴刚', 'G02', '0571', '空闲', '020212'),
  ('10011', '徐婷', 'G03', '0571', '空闲', '020213'),
  ('10012', '孙杰', 'G03', '0571', '空闲', '020211'),
  ('10013', '马超', 'G03', '0571', '通话', '020213'),
  ('10014', '朱琳', 'G03', '0571', '小休', '020213'),
  ('10015', '胡军', 'G03', '0571', '空闲', '020213'),
  ('10016', '郭燕', 'G04', '0574', '空闲', '020214'),
  ('10017', '何平', 'G04', '0574', '空闲', '020211'),
  ('10018', '高翔', 'G04', '0574', '通话', '020214'),
  ('10019', '林倩', 'G04', '0574', '空闲', '020214'),
  ('10020', '罗斌', 'G04', '0574', '整理', '020214');

INSERT INTO public_data (name, sql) VALUES
  ('StaffState', 'SELECT s.staffno AS staffno, g.name AS WorkGroupName, s.state AS State
                  FROM t_staff s LEFT JOIN t_workgroup g ON g.classid = s.classid ORDER BY s.staffno'),
  ('WorkGroup', 'SELECT classid AS ClassID, name AS Name, monitorno AS MonitorNo
                 FROM t_workgroup ORDER BY classid'),
  ('Staff', 'SELECT staffno AS StaffNo, staffname AS StaffName, classid AS ClassID,
             recordtypeauthid AS RecordTypeAuthID FROM t_staff ORDER BY staffno');

-- Staff and groups the agent may address: those of the agent's city and the all-city ones.
INSERT INTO server_procedure (procedure, flag, sql) VALUES
  ('P_QUERY_MORVANE_DLL', 'GETSTAFFBYSTAFFNOEX',
   'SELECT staffno AS StaffNo, staffname AS StaffName, classid AS ClassID,
           recordtypeauthid AS RecordTypeAuthID
    FROM t_staff WHERE cityid = (SELECT cityid FROM t_staff WHERE staffno = ?1) ORDER BY staffno'),
  ('P_QUERY_MORVANE_DLL', 'GETGROUPBYSTAFFNO',
   'SELECT classid AS ClassID, name AS ClassName FROM t_workgroup
    WHERE cityid IN (''0'', (SELECT cityid FROM t_staff WHERE staffno = ?1)) ORDER BY classid');
