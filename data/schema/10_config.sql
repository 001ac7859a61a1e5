-- Settings of the suite: one key/value row per setting. Both the main
-- database and the statistics database (KD_REGISTROSVAR) carry this table;
-- the statistics database keeps the command time-out in it.
-- Every text column compares as the suite's server does (case-insensitive,
-- trailing blanks ignored): COLLATE SRVTEXT.

CREATE TABLE TA_CONFIGURACION (
  ID              INTEGER PRIMARY KEY,
  Clave           VARCHAR(100) COLLATE SRVTEXT,
  Grupo           VARCHAR(50)  COLLATE SRVTEXT,
  Valor           VARCHAR(255) COLLATE SRVTEXT,
  valoraux        VARCHAR(255) COLLATE SRVTEXT,
  PoliticaNegocio BIT DEFAULT 0
);
CREATE INDEX IX_TA_CONFIGURACION_CLAVE ON TA_CONFIGURACION (Clave, Grupo);
