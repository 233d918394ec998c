-- The configuration store's table for SQLite, layout V2 (with the change
-- columns). The store never creates its table: "vxstore create" runs this
-- file (the table's name replacing vx_configuration), or run it yourself:
--   sqlite3 /path/to/store.db < sqlite-v2.sql
--
-- Key names compare exactly: code point by code point, case-sensitive, no
-- normalisation (SQLite's BINARY collation, here and in the index), as the
-- store's own key comparison and its cache do. Two processes may share the
-- file: write-ahead logging lets readers go on while one writes.
--
-- The unique index keeps one node and one property of a name below a node,
-- so two processes that make the same node or value at once end with one.
-- The checks give SQLite the limits the PostgreSQL table has.
PRAGMA journal_mode = WAL;
BEGIN;
CREATE TABLE vx_configuration (
  ID         VARCHAR(32)  NOT NULL PRIMARY KEY CHECK (length(ID) <= 32),
  PARENTID   VARCHAR(32)  CHECK (length(PARENTID) <= 32),
  KEYNAME    VARCHAR(255) NOT NULL COLLATE BINARY CHECK (length(KEYNAME) <= 255),
  DIMENSION  VARCHAR(255),
  DATATYPE   VARCHAR(8)   NOT NULL CHECK (length(DATATYPE) <= 8),
  KEYVALUE   TEXT,
  CHANGEUSER VARCHAR(255),
  CHANGEDATE TIMESTAMP
);
CREATE UNIQUE INDEX vx_configuration_names ON vx_configuration (PARENTID, KEYNAME, DATATYPE = 'TREE');
COMMIT;
