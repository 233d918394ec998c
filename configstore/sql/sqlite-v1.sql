-- The configuration store's table for SQLite, layout V1 (older tables, without
-- DIMENSION and the change columns: the store then tracks no changes). The
-- store never creates its table: "vxstore create --layout V1" runs this file
-- (the table's name replacing vx_configuration), or run it yourself:
--   sqlite3 /path/to/store.db < sqlite-v1.sql
--
-- Key names compare exactly: code point by code point, case-sensitive, no
-- normalisation (SQLite's BINARY collation), as the store's own key comparison
-- and its cache do. Write-ahead logging lets two processes share the file.
PRAGMA journal_mode = WAL;
BEGIN;
CREATE TABLE vx_configuration (
  ID         VARCHAR(32)  NOT NULL PRIMARY KEY CHECK (length(ID) <= 32),
  PARENTID   VARCHAR(32)  CHECK (length(PARENTID) <= 32),
  KEYNAME    VARCHAR(255) NOT NULL COLLATE BINARY CHECK (length(KEYNAME) <= 255),
  DATATYPE   VARCHAR(8)   NOT NULL CHECK (length(DATATYPE) <= 8),
  KEYVALUE   TEXT
);
CREATE UNIQUE INDEX vx_configuration_names ON vx_configuration (PARENTID, KEYNAME, DATATYPE = 'TREE');
COMMIT;
