-- The desk database: configuration of the host desk and the application server's procedures.
-- Text is UTF-8. Described in docs/application-server.md.

-- The logged-in agent and host settings (worker_no, city_id, encoded_password, log_file,
-- player_command, current_service_id, current_tab_caption, ftp_host, ftp_port, ftp_user,
-- ftp_password, ftp_encoding, ftp_timeout).
CREATE TABLE desk_setting (
  name  TEXT PRIMARY KEY COLLATE NOCASE,
  value TEXT
);

-- Modules the host has loaded (HadLoadModule).
CREATE TABLE desk_module (name TEXT PRIMARY KEY COLLATE NOCASE);

-- Rights the agent holds (HasAuth).
CREATE TABLE desk_right (
  module   TEXT NOT NULL COLLATE NOCASE,
  right_id TEXT NOT NULL,
  PRIMARY KEY (module, right_id)
);

-- System parameters (GetSysParam).
CREATE TABLE sys_param (
  module TEXT NOT NULL COLLATE NOCASE,
  number TEXT NOT NULL,
  value  TEXT,
  PRIMARY KEY (module, number)
);

-- Public datasets (GetPublicData): the rows of the SQL become the packet.
CREATE TABLE public_data (
  name TEXT PRIMARY KEY COLLATE NOCASE,
  sql  TEXT NOT NULL
);

-- Stored procedures (StoreProcedure). flag is the word before the first "~" of the parameter
-- text for procedures that take flag words ('' for the others); the remaining "~" pieces are
-- bound to ?1, ?2, ... kind 'dataset' answers [3] first value, [4] packet, [5] row count;
-- kind 'elements' answers the first row's values as elements [2], [3], ...
CREATE TABLE server_procedure (
  procedure TEXT NOT NULL COLLATE NOCASE,
  flag      TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
  kind      TEXT NOT NULL DEFAULT 'dataset' CHECK (kind IN ('dataset', 'elements')),
  message   TEXT NOT NULL DEFAULT '',
  sql       TEXT NOT NULL,
  PRIMARY KEY (procedure, flag)
);

-- Server-flag queries (OpenByServerFlag); "~" pieces of the parameter bound to ?1, ?2, ...
CREATE TABLE server_flag (
  flag TEXT PRIMARY KEY COLLATE NOCASE,
  sql  TEXT NOT NULL
);

-- The routing package of the current call (GetRoutPackage): one row per field that is set;
-- no rows means no current call. Text is cut to the field's size; a blob is copied unchanged.
CREATE TABLE rout_field (
  name  TEXT PRIMARY KEY COLLATE NOCASE,
  value
);

-- Libraries CallDll reaches: a name as the plug-in gives it and the shared library to load
-- ("$LIBDIR" is the folder of the loaded plug-in). "Dorvik.dll" has a built-in answer unless
-- listed here.
CREATE TABLE dll_library (
  name TEXT PRIMARY KEY COLLATE NOCASE,
  path TEXT NOT NULL
);

-- Identifiers the server hands out.
CREATE TABLE zeph_sequence (
  name  TEXT PRIMARY KEY,
  value INTEGER NOT NULL
);
