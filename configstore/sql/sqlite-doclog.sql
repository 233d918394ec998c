-- The document log's tables for SQLite: "vx_log", one row per event of a
-- document, and "vx_meta", a document's fields. The logging console writes
-- them and never creates them; run this file once on the database of the
-- console's connection string:
--   sqlite3 /path/to/store.db < sqlite-doclog.sql
--
-- Metadata columns are the installation's: any column whose name begins
-- with META_ receives the field of that external name, in its own type:
--   ALTER TABLE vx_log ADD COLUMN META_INVOICE_NO VARCHAR(64);
--
-- CREATIONDATE holds the date as text ("YYYY-MM-DD HH:MM:SS.zzz"), which
-- sorts as the dates do; the retention deletes by it, hence its index.
PRAGMA journal_mode = WAL;
BEGIN;
CREATE TABLE vx_log (
  LOGID        INTEGER      PRIMARY KEY,
  DOCID        VARCHAR(32)  NOT NULL CHECK (length(DOCID) <= 32),
  STACKID      VARCHAR(32)  CHECK (length(STACKID) <= 32),
  CREATIONDATE TIMESTAMP    NOT NULL,
  USERNAME     VARCHAR(255),
  SERVICE      VARCHAR(255),
  APPLICATION  VARCHAR(255),
  HOST         VARCHAR(255),
  LOGTYPE      VARCHAR(32),
  LOGTEXT      TEXT
);
CREATE INDEX vx_log_creationdate ON vx_log (CREATIONDATE);
CREATE INDEX vx_log_docid ON vx_log (DOCID);
CREATE TABLE vx_meta (
  DOCID      VARCHAR(32)  NOT NULL CHECK (length(DOCID) <= 32),
  FIELDNAME  VARCHAR(255) NOT NULL,
  FIELDVALUE TEXT
);
CREATE INDEX vx_meta_docid ON vx_meta (DOCID);
COMMIT;
