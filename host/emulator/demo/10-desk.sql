-- The demo desk: agent 10001 of Hangzhou (city 0571), during a call.
INSERT INTO desk_setting (name, value) VALUES
  ('worker_no', '10001'),
  ('city_id', '0571'),
  ('encoded_password', 'E10ADC3949BA59ABBE56E057F20F883E'),
  ('log_file', ''),
  ('player_command', ''),
  ('current_service_id', 'SV1001'),
  ('current_tab_caption', '投诉受理'),
  ('ftp_host', '127.0.0.1'),
  ('ftp_port', '2121'),
  ('ftp_user', 'anonymous'),
  ('ftp_password', 'zeph@'),
  ('ftp_encoding', 'UTF-8'),
  ('ftp_timeout', '15');

INSERT INTO desk_module (name) VALUES ('BN'), ('QC'), ('MS'), ('SV');

-- Send short messages, edit their content, save one's own recordings.
INSERT INTO desk_right (module, right_id) VALUES ('02', '010304'), ('02', '010306'), ('02', '020216');

INSERT INTO sys_param (module, number, value) VALUES
  ('QC', '21', 'N'),
  ('ZEPHSC', '73', '1'),
  ('IWFLOW', '20', '2');

INSERT INTO rout_field (name, value) VALUES
  ('BIGZONE', 'E'),
  ('CITYCODE', '0571'),
  ('USERCLASS', '01'),
  ('TRANSFERFLAG', '0'),
  ('CHARLANGUAGE', '1'),
  ('CALLERNO', '13905710001'),
  ('CALLEENO', '10086'),
  ('SERVICENO', '1008601'),
  ('USERTYPE', 2),
  ('CHECKPSWIVR', '1'),
  ('DIGITCODE', '1#2'),
  ('KEYTRACE', '1-2-0'),
  ('BRANCHTRACE', 'MAIN>COMPLAINT'),
  ('ENTERDATETIME', '20261208093012'),
  ('CONFIRMDATETIME', '20261208093045'),
  ('DELAYTIME', 33),
  ('CHECKFLAG', '1'),
  ('LOGFLAG', '0'),
  ('SERVICELOCALDSN', 'ZJ_SERVICE'),
  ('LOGLOCALDSN', 'ZJ_LOG'),
  ('ROUTFAILCOUNTER', 0),
  ('SERIALID', '202612080930120001'),
  ('PATHHEAD', '/rec/0571'),
  ('EXT1', '客户要求回电'),
  ('EXT2', '');

INSERT INTO zeph_sequence (name, value) VALUES ('MS_LOGID', 700000);

-- Libraries CallDll reaches (the call test window names them): the two editions of this build.
INSERT INTO dll_library (name, path) VALUES
  ('Morvane.dll', '$LIBDIR/@MORVANE_FULL_FILE@'),
  ('MorvaneBasic.dll', '$LIBDIR/@MORVANE_BASIC_FILE@');
