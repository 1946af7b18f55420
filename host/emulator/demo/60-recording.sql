-- Recordings: where each call's recordings lie and on which FTP server.
CREATE TABLE t_record_file (
  id       INTEGER PRIMARY KEY,
  serialno TEXT NOT NULL,
  filepath TEXT NOT NULL,
  staffno  TEXT NOT NULL
);
CREATE TABLE t_convey_record_file (
  id         INTEGER PRIMARY KEY,
  serialno   TEXT NOT NULL,
  filename   TEXT NOT NULL,
  staffno    TEXT NOT NULL,
  conveydate DATETIME NOT NULL
);
-- The FTP location of a recording path ("P_QC_GETFTPFILEPATH"): elements [2] to [8].
CREATE TABLE t_ftp_location (
  filepath    TEXT PRIMARY KEY,
  host1       TEXT NOT NULL DEFAULT '',
  host2       TEXT NOT NULL DEFAULT '',
  remotedir   TEXT NOT NULL,
  remotefile  TEXT NOT NULL,
  ftpuser     TEXT NOT NULL DEFAULT 'anonymous',
  ftppassword TEXT NOT NULL DEFAULT '',
  port        TEXT NOT NULL DEFAULT '21'
);

INSERT INTO t_record_file (serialno, filepath, staffno) VALUES
  ('202612080930120001', '/rec/0571/20261208/0930120001.v3', '10001'),
  ('202612081015000002', '/rec/0571/20261208/1015000002a.v3', '10003'),
  ('202612081015000002', '/rec/0571/20261208/1015000002b.v3', '10003');

INSERT INTO t_convey_record_file (serialno, filename, staffno, conveydate) VALUES
  ('202612080930120001', '/rec/0571/convey/0930120001.v3', '10001', '2026-12-08 09:35:10'),
  ('202612081015000002', '/rec/0571/convey/1015000002a.v3', '10003', '2026-12-08 10:20:00'),
  ('202612081015000002', '/rec/0571/convey/1015000002b.v3', '10006', '2026-12-08 10:31:45'),
  ('202612081015000002', '/rec/0571/convey/1015000002c.v3', '10007', '2026-12-08 10:40:02');

INSERT INTO t_ftp_location (filepath, host1, host2, remotedir, remotefile, ftpuser, ftppassword, port) VALUES
  ('/rec/0571/20261208/0930120001.v3', '127.0.0.1', '', '/rec/0571/20261208', '0930120001.v3', 'anonymous', 'zeph@', '2121'),
  ('/rec/0571/20261208/1015000002a.v3', '', '127.0.0.1', '/rec/0571/20261208/', '1015000002a.v3', 'anonymous', 'zeph@', '2121'),
  ('/rec/0571/20261208/1015000002b.v3', '127.0.0.1', '', '/rec/0571/20261208', '1015000002b.v3', 'anonymous', 'zeph@', '2121');

INSERT INTO server_procedure (procedure, flag, kind, sql) VALUES
  ('P_SV_GETRECORDFILEPATH', '', 'dataset',
   'SELECT filepath AS FILEPATH, staffno AS STAFFNO FROM t_record_file WHERE serialno = ?1 ORDER BY id'),
  ('P_SV_GETCONVEYRECORDFILEPATH', '', 'dataset',
   'SELECT filename AS FILENAME, staffno AS STAFFNO FROM t_convey_record_file
    WHERE serialno = ?1 ORDER BY id'),
  ('P_CASE_EXECUTEQUERY', 'ZEPHSC_CASE_SELECTRECORDFILE', 'dataset',
   'SELECT filename AS FILENAME, staffno AS STAFFNO, conveydate AS CONVEYDATE
    FROM t_convey_record_file WHERE serialno = ?1 ORDER BY id'),
  -- Pieces: the recording path and the staff number.
  ('P_QC_GETFTPFILEPATH', '', 'elements',
   'SELECT host1, host2, remotedir, remotefile, ftpuser, ftppassword, port
    FROM t_ftp_location WHERE filepath = ?1');
