-- Numbering: the seat rows of the cost centres, read with the seats when a
-- seat number is handed out (numbers taken here are skipped).

CREATE TABLE MV_ASIENTOSCCOSTO (
  ID               INTEGER PRIMARY KEY,
  Cuenta           VARCHAR(15) COLLATE SRVTEXT,
  CCosto           VARCHAR(15) COLLATE SRVTEXT,
  Secuencia        INT,
  Mes_Operativo    SMALLINT,
  [Numero Asiento] INT,
  Fecha            DATETIME,
  TC               CHAR(4)     COLLATE SRVTEXT,
  SUCURSAL         CHAR(4)     COLLATE SRVTEXT,
  NUMERO           CHAR(8)     COLLATE SRVTEXT,
  LETRA            CHAR(1)     COLLATE SRVTEXT,
  PERIODO          INT,
  Tipo_Reg         CHAR(4)     COLLATE SRVTEXT,
  [DEBE-HABER]     CHAR(1)     COLLATE SRVTEXT,
  Importe          MONEY
);
CREATE INDEX IX_MV_ASIENTOSCCOSTO_NRO ON MV_ASIENTOSCCOSTO (Mes_Operativo, Tipo_Reg, [Numero Asiento]);
