-- Short messages: cities, common messages, and the send plans and send logs that the media-sending
-- service would pick up. Writes are rows: SELECT * FROM ms_send_plan / ms_send_log.
CREATE TABLE t_city (
  orgaid   TEXT PRIMARY KEY,
  organame TEXT NOT NULL
);
CREATE TABLE t_common_msg (
  id          TEXT PRIMARY KEY,
  superid     TEXT NOT NULL DEFAULT '0',
  caption     TEXT NOT NULL,
  infocontent TEXT NOT NULL DEFAULT '',
  cityid      TEXT NOT NULL DEFAULT '0'
);

INSERT INTO t_city (orgaid, organame) VALUES
  ('0571', '杭州'), ('0572', '湖州'), ('0573', '嘉兴'), ('0574', '宁波'), ('0575', '绍兴');

INSERT INTO t_common_msg (id, superid, caption, infocontent, cityid) VALUES
  ('1', '0', '问候与致歉', '', '0'),
  ('11', '1', '感谢来电', '感谢您致电客服热线，祝您生活愉快！', '0'),
  ('12', '1', '致歉', '给您带来不便，我们深表歉意，问题处理后将第一时间通知您。', '0'),
  ('2', '0', '业务办理', '', '0'),
  ('21', '2', '套餐变更成功', '您的套餐变更已受理，将于次月1日生效。', '0'),
  ('22', '2', '宽带报修受理', '您的宽带报修已受理，维修人员将在24小时内联系您。', '0571'),
  ('23', '2', '营业厅地址', '杭州市西湖区文三路100号营业厅，营业时间9:00-18:00。', '0571'),
  ('24', '2', '宁波营业厅地址', '宁波市海曙区中山西路200号营业厅，营业时间9:00-17:30。', '0574'),
  ('3', '0', '故障通知', '', '0'),
  ('31', '3', '网络故障', '您所在区域网络故障正在抢修，预计2小时内恢复。', '0'),
  ('32', '3', '停机提醒', '您的号码因欠费即将停机，请及时缴费。', '0');

INSERT INTO server_flag (flag, sql) VALUES
  ('ZEPHSC_AG_SELCITY', 'SELECT orgaid AS OrgaID, organame AS OrgaName FROM t_city ORDER BY orgaid'),
  -- Messages of every city; those valid for the agent's city come first.
  ('ZEPHSC_AG_SELCONTENTMSG',
   'SELECT id AS ID, superid AS SUPERID, caption AS CAPTION, infocontent AS INFOCONTENT,
           cityid AS CityID
    FROM t_common_msg ORDER BY CASE WHEN cityid IN (''0'', ?1) THEN 0 ELSE 1 END, id');

CREATE TABLE ms_send_plan (
  PlanID INTEGER PRIMARY KEY AUTOINCREMENT,
  MissionID TEXT,
  LogEnabled TEXT,
  StaffNo TEXT,
  SendClass TEXT,
  MissionName TEXT,
  MissionCaption TEXT,
  MissionType TEXT,
  DayOfYear TEXT,
  MonthOfYear TEXT,
  DayOfMonth TEXT,
  DayOfWeek TEXT,
  SpaceDay TEXT,
  SpaceHour TEXT,
  SpaceMinute TEXT,
  SendDateTime TEXT,
  NextExecute TEXT,
  BeginDate TEXT,
  EndDate TEXT,
  PriorFlag TEXT,
  MSID TEXT,
  AttachmentFlag TEXT,
  ReceiverType TEXT,
  GroupID TEXT,
  ProcedureID TEXT,
  ReceiverMessage TEXT,
  ContentClass TEXT,
  ContentProcID TEXT,
  Params TEXT,
  TemplateID TEXT,
  ContentFile TEXT,
  FileFormat TEXT,
  Content TEXT,
  AppendProcID TEXT,
  AppendFileName TEXT,
  IPAddress TEXT,
  SerialNo TEXT,
  CommitTime TEXT,
  CommitResult TEXT,
  CommitResultMessage TEXT,
  Received TEXT NOT NULL DEFAULT CURRENT_TIMESTAMP
);
CREATE TABLE ms_send_log (
  TaskID INTEGER PRIMARY KEY AUTOINCREMENT,
  LogID TEXT,
  LogEnabled TEXT,
  MissionID TEXT,
  SendClass TEXT,
  ReceiverID TEXT,
  ReceiverMessage TEXT,
  MissionCaption TEXT,
  ContentClass TEXT,
  ContentFile TEXT,
  FileFormat TEXT,
  Content TEXT,
  SPID TEXT,
  Params TEXT,
  TemplateID TEXT,
  AppendFile TEXT,
  PriorFlag TEXT,
  MSID TEXT,
  MonitorLogID TEXT,
  StaffNo TEXT,
  locIP TEXT,
  SerialNo TEXT,
  CommitTime TEXT,
  CommitResult TEXT,
  CommitResultMessage TEXT,
  Received TEXT NOT NULL DEFAULT CURRENT_TIMESTAMP
);

INSERT INTO server_procedure (procedure, flag, message, sql) VALUES
  ('P_MS_GETLOGID', '', '',
   'UPDATE zeph_sequence SET value = value + 1 WHERE name = ''MS_LOGID'';
    SELECT value AS LogID FROM zeph_sequence WHERE name = ''MS_LOGID'''),
  ('P_MS_ADDSENDPLAN', '', '发送计划已提交',
   'INSERT INTO ms_send_plan (MissionID, LogEnabled, StaffNo, SendClass, MissionName, MissionCaption, MissionType, DayOfYear, MonthOfYear, DayOfMonth, DayOfWeek, SpaceDay, SpaceHour, SpaceMinute, SendDateTime, NextExecute, BeginDate, EndDate, PriorFlag, MSID, AttachmentFlag, ReceiverType, GroupID, ProcedureID, ReceiverMessage, ContentClass, ContentProcID, Params, TemplateID, ContentFile, FileFormat, Content, AppendProcID, AppendFileName, IPAddress, SerialNo, CommitTime, CommitResult, CommitResultMessage)
    VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17, ?18, ?19, ?20, ?21, ?22, ?23, ?24, ?25, ?26, ?27, ?28, ?29, ?30, ?31, ?32, ?33, ?34, ?35, ?36, ?37, ?38, ?39);
    SELECT last_insert_rowid() AS PlanID'),
  ('P_MS_ADDSENDLOG', '', '发送日志已提交',
   'INSERT INTO ms_send_log (LogID, LogEnabled, MissionID, SendClass, ReceiverID, ReceiverMessage, MissionCaption, ContentClass, ContentFile, FileFormat, Content, SPID, Params, TemplateID, AppendFile, PriorFlag, MSID, MonitorLogID, StaffNo, locIP, SerialNo, CommitTime, CommitResult, CommitResultMessage)
    VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17, ?18, ?19, ?20, ?21, ?22, ?23, ?24);
    SELECT last_insert_rowid() AS TaskID');
