-- Stock: movement rows of every voucher, lot and serial balances, lot
-- dispatch data and the balance tables.

-- One row per stock movement of a voucher (entries positive, exits
-- negative). Purchase vouchers write no IdComplemento.
CREATE TABLE V_MV_STOCK (
  ID                   INTEGER PRIMARY KEY,
  TC                   CHAR(4)      COLLATE SRVTEXT,
  IdComprobante        CHAR(13)     COLLATE SRVTEXT,
  IdComplemento        INT DEFAULT 0,
  Secuencia            INT,
  Fecha                DATETIME,
  IdCaja               CHAR(4)      COLLATE SRVTEXT,
  IdDeposito           CHAR(4)      COLLATE SRVTEXT,
  IDDEPOSITO_DESTINO   CHAR(4)      COLLATE SRVTEXT,
  IdPosicion           VARCHAR(15)  COLLATE SRVTEXT,
  IdArticulo           CHAR(25)     COLLATE SRVTEXT,
  Descripcion          VARCHAR(255) COLLATE SRVTEXT,
  NroLote              VARCHAR(25)  COLLATE SRVTEXT,
  ControladoPor        VARCHAR(50)  COLLATE SRVTEXT,
  IdOrigen             CHAR(4)      COLLATE SRVTEXT,
  NroSerie             VARCHAR(25)  COLLATE SRVTEXT,
  IdUnidad             CHAR(4)      COLLATE SRVTEXT,
  Cantidad             NUMERIC(18,4),
  CantidadUD           NUMERIC(18,4),
  IdUnidadBase         CHAR(4)      COLLATE SRVTEXT,
  CuentaProveedor      VARCHAR(15)  COLLATE SRVTEXT,
  IdMotivoStock        CHAR(4)      COLLATE SRVTEXT,
  PrecioVenta          MONEY,
  Importe_S_Iva        MONEY,
  Costo                MONEY,
  Impuestos            MONEY,
  DtoItem              DECIMAL(9,4),
  Tc_Origen            CHAR(4)      COLLATE SRVTEXT,
  IdComprobante_Origen CHAR(13)     COLLATE SRVTEXT,
  Id_Origen            INT,
  IVARI                DECIMAL(9,4),
  IVARNI               DECIMAL(9,4),
  IdTecnico            CHAR(4)      COLLATE SRVTEXT,
  EQUIV_UDBASE         NUMERIC(18,6),
  IDINSERT             INT,
  IDCOMPULSA           INT,
  Oferta               INT,
  IdVendedor           CHAR(4)      COLLATE SRVTEXT,
  Importe_Ud           MONEY,
  Ud_Pr                CHAR(4)      COLLATE SRVTEXT,
  UNEGOCIO             CHAR(4)      COLLATE SRVTEXT,
  ARTMONEDA            CHAR(4)      COLLATE SRVTEXT,
  ARTCOTIZACION        MONEY,
  EnComodato           BIT DEFAULT 0,
  CANT_BL              INT,
  CANT_KG              INT,
  CANT_M3              INT,
  IDVIAJE              VARCHAR(13)  COLLATE SRVTEXT,
  Revisado             BIT DEFAULT 0
);
CREATE INDEX IX_V_MV_STOCK_KEY ON V_MV_STOCK (TC, IdComprobante, IdComplemento);
-- One row per sequence of a voucher: two writers racing for the same
-- sequence fail instead of writing it twice. The complement is part of the
-- voucher's key: each complement numbers its own rows.
CREATE UNIQUE INDEX UX_V_MV_STOCK_SECUENCIA ON V_MV_STOCK (TC, IdComprobante, IdComplemento, Secuencia);
CREATE INDEX IX_V_MV_STOCK_ART ON V_MV_STOCK (IdArticulo, IdDeposito, NroLote);
-- The movements made from an origin voucher, always looked for by the
-- origin's id, its type and their own type (the receptions of a purchase
-- order, the production exits of an order). Most movements have no origin:
-- the index leaves those out, as the vouchers' origin index does.
CREATE INDEX IX_V_MV_STOCK_ORIGEN ON V_MV_STOCK (IdComprobante_Origen, Tc_Origen, TC)
  WHERE IdComprobante_Origen IS NOT NULL;
-- The transport remittances still to be reviewed are listed by trip and
-- type, grouped per voucher (the voucher's key follows, or the embedded
-- engine would rather read the whole type in the key's order); the rows of
-- no trip (all that this program writes) are left out.
CREATE INDEX IX_V_MV_STOCK_VIAJE ON V_MV_STOCK (IDVIAJE, TC, IdComprobante, IdComplemento)
  WHERE IDVIAJE IS NOT NULL;
-- The last number of a type, branch and letter
-- ("MAX(IdComprobante) ... WHERE TC = '...' AND SUBSTRING(IDCOMPROBANTE,1,4) = '...'
-- AND SUBSTRING(IDCOMPROBANTE,13,1) = '...'"): branch and letter are parts
-- of the id. The embedded engine indexes those expressions; the server,
-- computed columns of the same expressions (last in "SELECT *").
-- engine: embedded
CREATE INDEX IX_V_MV_STOCK_NUMERACION ON V_MV_STOCK
  (TC, SUBSTRING(IdComprobante, 1, 4) COLLATE SRVTEXT, SUBSTRING(IdComprobante, 13, 1) COLLATE SRVTEXT, IdComprobante);
-- engine: server
ALTER TABLE V_MV_STOCK ADD SUCURSAL_ID AS SUBSTRING(IdComprobante, 1, 4), LETRA_ID AS SUBSTRING(IdComprobante, 13, 1);
-- engine: server
CREATE INDEX IX_V_MV_STOCK_NUMERACION ON V_MV_STOCK (TC, SUCURSAL_ID, LETRA_ID, IdComprobante);
-- The highest automatic lot, the lots that start with a blank
-- ("MAX(NroLote) ... WHERE (SUBSTRING(NroLote, 1, 1) = ' ')").
-- engine: embedded
CREATE INDEX IX_V_MV_STOCK_LOTE_INICIAL ON V_MV_STOCK (SUBSTRING(NroLote, 1, 1) COLLATE SRVTEXT, NroLote);
-- engine: server
ALTER TABLE V_MV_STOCK ADD NROLOTE_INICIAL AS SUBSTRING(NroLote, 1, 1);
-- engine: server
CREATE INDEX IX_V_MV_STOCK_LOTE_INICIAL ON V_MV_STOCK (NROLOTE_INICIAL, NroLote);

-- Stock held per article, deposit, lot, serial and position.
CREATE TABLE STK_SERIES_Y_LOTES (
  ID         INTEGER PRIMARY KEY,
  IdArticulo CHAR(25)    COLLATE SRVTEXT,
  IdDeposito CHAR(4)     COLLATE SRVTEXT,
  NroLote    VARCHAR(25) COLLATE SRVTEXT,
  NroSerie   VARCHAR(25) COLLATE SRVTEXT,
  IdPosicion VARCHAR(15) COLLATE SRVTEXT,
  Cantidad   NUMERIC(18,4)
);
CREATE INDEX IX_STK_SERIES_Y_LOTES_ART ON STK_SERIES_Y_LOTES (IdArticulo, IdDeposito, NroLote, NroSerie);

-- Dispatch (customs) data of a lot.
CREATE TABLE STK_DESPACHOS (
  ID            INTEGER PRIMARY KEY,
  NroLote       VARCHAR(25)  COLLATE SRVTEXT,
  Descripcion   VARCHAR(100) COLLATE SRVTEXT,
  ControladoPor VARCHAR(50)  COLLATE SRVTEXT,
  IdOrigen      CHAR(4)      COLLATE SRVTEXT
);
CREATE INDEX IX_STK_DESPACHOS_LOTE ON STK_DESPACHOS (NroLote);
-- A lot's dispatch data is looked for by the lot without its blanks
-- ("ltrim(rtrim(NroLote)) = '...'"), as lots may be stored as typed.
-- engine: embedded
CREATE INDEX IX_STK_DESPACHOS_LOTE_RECORTADO ON STK_DESPACHOS (LTRIM(RTRIM(NroLote)) COLLATE SRVTEXT);
-- engine: server
ALTER TABLE STK_DESPACHOS ADD NROLOTE_RECORTADO AS LTRIM(RTRIM(NroLote));
-- engine: server
CREATE INDEX IX_STK_DESPACHOS_LOTE_RECORTADO ON STK_DESPACHOS (NROLOTE_RECORTADO);

-- Balance per article and deposit in units and kilograms.
CREATE TABLE STK_STOCK_UDKG (
  ID         INTEGER PRIMARY KEY,
  IDARTICULO CHAR(25) COLLATE SRVTEXT,
  IDDEPOSITO CHAR(4)  COLLATE SRVTEXT,
  CantidadUd NUMERIC(18,4),
  CantidadKg NUMERIC(18,4)
);
CREATE INDEX IX_STK_STOCK_UDKG_ART ON STK_STOCK_UDKG (IDARTICULO, IDDEPOSITO);

-- Balance per article, unit and deposit.
CREATE TABLE STK_SALDOS_UNIDADES (
  ID           INTEGER PRIMARY KEY,
  IDARTICULO   CHAR(25) COLLATE SRVTEXT,
  EQUIVALENCIA CHAR(4)  COLLATE SRVTEXT,
  IDDEPOSITO   CHAR(4)  COLLATE SRVTEXT,
  STOCK        NUMERIC(18,4)
);
CREATE INDEX IX_STK_SALDOS_UNIDADES_ART ON STK_SALDOS_UNIDADES (IDARTICULO, EQUIVALENCIA, IDDEPOSITO);

-- Balance per deposit, position, article and lot (a null position holds
-- the stock without position).
CREATE TABLE AC_SALDOSLAYOUT (
  ID           INTEGER PRIMARY KEY,
  IDDEPOSITO   CHAR(4)     COLLATE SRVTEXT,
  IDPOSICION   VARCHAR(15) COLLATE SRVTEXT,
  IDARTICULO   CHAR(25)    COLLATE SRVTEXT,
  NROLOTE      VARCHAR(25) COLLATE SRVTEXT,
  IDUNIDADBASE CHAR(4)     COLLATE SRVTEXT,
  SALDO        NUMERIC(18,4)
);
CREATE INDEX IX_AC_SALDOSLAYOUT_ART ON AC_SALDOSLAYOUT (IDDEPOSITO, IDARTICULO, IDPOSICION);

-- Livestock lots in stock.
CREATE TABLE V_MV_TROPA_STOCK (
  ID                     INTEGER PRIMARY KEY,
  TC                     CHAR(4)     COLLATE SRVTEXT,
  IDCOMPROBANTE          CHAR(13)    COLLATE SRVTEXT,
  IdArticulo             CHAR(25)    COLLATE SRVTEXT,
  NroTropa               VARCHAR(25) COLLATE SRVTEXT,
  Cantidad               NUMERIC(18,4),
  FECHAHORA_GRABACION    DATETIME,
  FECHAHORA_MODIFICACION DATETIME
);
