-- The configuration store's table for PostgreSQL, layout V2 (with the change
-- columns). The store never creates its table: "vxstore create" runs this
-- file (the table's name replacing vx_configuration), or run it yourself:
--   psql -d DATABASE -f postgresql-v2.sql
--
-- Key names compare exactly: code point by code point, case-sensitive, no
-- normalisation (collation "C", whatever the database's default collation
-- is), as the store's own key comparison and its cache do, and as SQLite
-- compares them.
--
-- The unique index keeps one node and one property of a name below a node,
-- so two processes that make the same node or value at once end with one.
BEGIN;
CREATE TABLE vx_configuration (
  ID         VARCHAR(32)  NOT NULL PRIMARY KEY,
  PARENTID   VARCHAR(32),
  KEYNAME    VARCHAR(255) COLLATE "C" NOT NULL,
  DIMENSION  VARCHAR(255),
  DATATYPE   VARCHAR(8)   NOT NULL,
  KEYVALUE   TEXT,
  CHANGEUSER VARCHAR(255),
  CHANGEDATE TIMESTAMP
);
CREATE UNIQUE INDEX vx_configuration_names ON vx_configuration (PARENTID, KEYNAME, (DATATYPE = 'TREE'));
COMMIT;
