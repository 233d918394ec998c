-- The configuration store's table for PostgreSQL, layout V1 (older tables,
-- without DIMENSION and the change columns: the store then tracks no
-- changes). The store never creates its table: "vxstore create --layout V1"
-- runs this file (the table's name replacing vx_configuration), or run it
-- yourself:
--   psql -d DATABASE -f postgresql-v1.sql
--
-- Key names compare exactly: code point by code point, case-sensitive, no
-- normalisation (collation "C", whatever the database's default collation
-- is), as the store's own key comparison and its cache do.
BEGIN;
CREATE TABLE vx_configuration (
  ID         VARCHAR(32)  NOT NULL PRIMARY KEY,
  PARENTID   VARCHAR(32),
  KEYNAME    VARCHAR(255) COLLATE "C" NOT NULL,
  DATATYPE   VARCHAR(8)   NOT NULL,
  KEYVALUE   TEXT
);
CREATE UNIQUE INDEX vx_configuration_names ON vx_configuration (PARENTID, KEYNAME, (DATATYPE = 'TREE'));
COMMIT;
