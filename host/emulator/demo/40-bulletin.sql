-- Bulletins and notes: the server address table, bulletin types and call causes.
CREATE TABLE t_server_address (
  class  TEXT NOT NULL,
  ip     TEXT NOT NULL,
  port   TEXT NOT NULL,
  cityid TEXT NOT NULL DEFAULT '0',
  PRIMARY KEY (class, cityid)
);
CREATE TABLE t_bulletin_type (
  typeid   TEXT PRIMARY KEY,
  typename TEXT NOT NULL
);
CREATE TABLE t_call_cause (
  id      TEXT PRIMARY KEY,
  caption TEXT NOT NULL,
  cityid  TEXT NOT NULL DEFAULT '0'
);

-- "BN" is the bulletin-and-note web service; point it at a running server to send for real.
INSERT INTO t_server_address (class, ip, port, cityid) VALUES
  ('BN', '127.0.0.1', '8090', '0'),
  ('QC', '127.0.0.1', '8091', '0571'),
  ('SV', '127.0.0.1', '2121', '0571');

INSERT INTO t_bulletin_type (typeid, typename) VALUES
  ('1', '业务通知'),
  ('2', '系统公告'),
  ('3', '故障通报'),
  ('4', '培训安排');

INSERT INTO t_call_cause (id, caption, cityid) VALUES
  ('01', '话费查询', '0'),
  ('02', '套餐变更', '0'),
  ('03', '网络故障', '0'),
  ('04', '宽带报修', '0571'),
  ('05', '号码停机', '0571'),
  ('06', '港口业务', '0574');

INSERT INTO server_procedure (procedure, flag, sql) VALUES
  ('P_QUERY_MORVANE_DLL', 'GETIPPORT',
   'SELECT class AS Class, ip AS IP, port AS Port FROM t_server_address
    WHERE cityid IN (''0'', (SELECT cityid FROM t_staff WHERE staffno = ?1)) ORDER BY class'),
  ('P_QUERY_MORVANE_DLL', 'GETBULLETINTYPE',
   'SELECT typeid AS TypeID, typename AS TypeName FROM t_bulletin_type ORDER BY typeid'),
  ('P_QUERY_MORVANE_DLL', 'GETCALLCAUSECFG',
   'SELECT id AS ID, caption AS Caption FROM t_call_cause WHERE cityid IN (''0'', ?1) ORDER BY id');

