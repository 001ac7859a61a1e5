-- Vouchers: sales vouchers (V_) and purchase vouchers (C_) with their
-- lines, tasks and observations, and the rows that hang on a voucher:
-- applications, number-control rows, reservations, bonus and mutual-aid
-- rows, trips and order preparations.
--
-- Keys as the suite stores them: TC CHAR(4) padded ("FC  "), IDCOMPROBANTE
-- CHAR(13) = branch (4 digits) & number (8 digits) & letter, complement INT.
-- Tables that store the key split hold SUCURSAL CHAR(4), NUMERO CHAR(8),
-- LETRA CHAR(1).

CREATE TABLE V_MV_CPTE (
  ID                     INTEGER PRIMARY KEY,
  TC                     CHAR(4)      COLLATE SRVTEXT,
  IDCOMPROBANTE          CHAR(13)     COLLATE SRVTEXT,
  IDCOMPLEMENTO          INT DEFAULT 0,
  FECHA                  DATETIME,
  CUENTA                 VARCHAR(15)  COLLATE SRVTEXT,
  Nombre                 VARCHAR(100) COLLATE SRVTEXT,
  CondicionIva           VARCHAR(4)   COLLATE SRVTEXT,
  IdMoneda               CHAR(4)      COLLATE SRVTEXT,
  Cotizacion             DECIMAL(18,6),
  Importe                MONEY,
  ANULADA                BIT DEFAULT 0,
  APROBADO               BIT DEFAULT 0,
  FINALIZADA             BIT DEFAULT 0,
  BLOQUEADA              BIT DEFAULT 0,
  COMPLEMENTARIO         BIT DEFAULT 0,
  OBSERVACIONES          VARCHAR(255) COLLATE SRVTEXT,
  COMENTARIOS            VARCHAR(255) COLLATE SRVTEXT,
  TCORIGEN               CHAR(4)      COLLATE SRVTEXT,
  COMPROBANTEORIGEN      CHAR(13)     COLLATE SRVTEXT,
  COMPLEMENTOORIGEN      INT,
  IdReparto              INT,
  EnComodato             INT DEFAULT 0,
  NroViaje               VARCHAR(13)  COLLATE SRVTEXT,
  IdPalm                 VARCHAR(20)  COLLATE SRVTEXT,
  FechaPreparacion       DATETIME,
  UNEGOCIO               CHAR(4)      COLLATE SRVTEXT,
  IdDeposito             CHAR(4)      COLLATE SRVTEXT,
  IdVendedor             CHAR(4)      COLLATE SRVTEXT,
  Usuario                VARCHAR(50)  COLLATE SRVTEXT,
  FechaHora_Grabacion    DATETIME,
  FechaHora_Modificacion DATETIME
);
CREATE INDEX IX_V_MV_CPTE_KEY ON V_MV_CPTE (TC, IDCOMPROBANTE, IDCOMPLEMENTO);
-- The vouchers made from a voucher, always looked for with an origin. Most
-- vouchers have none: the index leaves those out, or the embedded engine's
-- statistics (one huge group of NULLs) would make a scan look cheaper.
CREATE INDEX IX_V_MV_CPTE_ORIGEN ON V_MV_CPTE (TCORIGEN, COMPROBANTEORIGEN) WHERE TCORIGEN IS NOT NULL;
-- The last number of a type, branch and letter (branch and letter are
-- parts of the id), as on the stock rows.
-- engine: embedded
CREATE INDEX IX_V_MV_CPTE_NUMERACION ON V_MV_CPTE
  (TC, SUBSTRING(IDCOMPROBANTE, 1, 4) COLLATE SRVTEXT, SUBSTRING(IDCOMPROBANTE, 13, 1) COLLATE SRVTEXT, IDCOMPROBANTE);
-- engine: server
ALTER TABLE V_MV_CPTE ADD SUCURSAL_ID AS SUBSTRING(IDCOMPROBANTE, 1, 4), LETRA_ID AS SUBSTRING(IDCOMPROBANTE, 13, 1);
-- engine: server
CREATE INDEX IX_V_MV_CPTE_NUMERACION ON V_MV_CPTE (TC, SUCURSAL_ID, LETRA_ID, IDCOMPROBANTE);

CREATE TABLE C_MV_CPTE (
  ID                     INTEGER PRIMARY KEY,
  TC                     CHAR(4)      COLLATE SRVTEXT,
  IDCOMPROBANTE          CHAR(13)     COLLATE SRVTEXT,
  SUCURSAL               CHAR(4)      COLLATE SRVTEXT,
  NUMERO                 CHAR(8)      COLLATE SRVTEXT,
  LETRA                  CHAR(1)      COLLATE SRVTEXT,
  CUENTA                 VARCHAR(15)  COLLATE SRVTEXT,
  NOMBRE                 VARCHAR(100) COLLATE SRVTEXT,
  FECHA                  DATETIME,
  FechaRecepcion         DATETIME,
  CondicionIva           VARCHAR(4)   COLLATE SRVTEXT,
  IdMoneda               CHAR(4)      COLLATE SRVTEXT,
  Cotizacion             DECIMAL(18,6),
  Importe                MONEY,
  ANULADA                BIT DEFAULT 0,
  APROBADO               BIT DEFAULT 0,
  FINALIZADO             BIT DEFAULT 0,
  COMENTARIOS            VARCHAR(255) COLLATE SRVTEXT,
  Garantia               VARCHAR(50)  COLLATE SRVTEXT,
  IdReparto              INT,
  UNEGOCIO               CHAR(4)      COLLATE SRVTEXT,
  IdDeposito             CHAR(4)      COLLATE SRVTEXT,
  Usuario                VARCHAR(50)  COLLATE SRVTEXT,
  FechaHora_Grabacion    DATETIME,
  FechaHora_Modificacion DATETIME
);
CREATE INDEX IX_C_MV_CPTE_KEY ON C_MV_CPTE (TC, IDCOMPROBANTE, CUENTA);
CREATE INDEX IX_C_MV_CPTE_SPLIT ON C_MV_CPTE (TC, SUCURSAL, LETRA, NUMERO);

-- Article lines. The purchase twin has the same columns.
CREATE TABLE V_MV_CPTEINSUMOS (
  ID                 INTEGER PRIMARY KEY,
  TC                 CHAR(4)      COLLATE SRVTEXT,
  IDCOMPROBANTE      CHAR(13)     COLLATE SRVTEXT,
  IDCOMPLEMENTO      INT DEFAULT 0,
  CUENTA             VARCHAR(15)  COLLATE SRVTEXT,
  Secuencia          INT,
  IdArticulo         CHAR(25)     COLLATE SRVTEXT,
  Descripcion        VARCHAR(255) COLLATE SRVTEXT,
  Cantidad           NUMERIC(18,4),
  IdUnidad           CHAR(4)      COLLATE SRVTEXT,
  IdUnidadBase       CHAR(4)      COLLATE SRVTEXT,
  CantidadUD         NUMERIC(18,4),
  Equiv_UDBase       NUMERIC(18,6),
  Ud_Pr              CHAR(4)      COLLATE SRVTEXT,
  Importe            MONEY,
  Importe_S_IVA      MONEY,
  Importe_Ud         MONEY,
  Total              MONEY,
  TotalFinal         MONEY,
  Impuestos          MONEY,
  ITC                MONEY,
  AlicIVA            DECIMAL(9,4),
  Exento             BIT DEFAULT 0,
  PorcDto            DECIMAL(9,4),
  idLista            CHAR(4)      COLLATE SRVTEXT,
  Precio_Lista       MONEY,
  Costo              MONEY,
  CANTIDADAFACTURAR  NUMERIC(18,4),
  IdDeposito         CHAR(4)      COLLATE SRVTEXT,
  IdPosicion         VARCHAR(15)  COLLATE SRVTEXT,
  Nro_Lote           VARCHAR(255) COLLATE SRVTEXT,
  Nro_Serie          VARCHAR(255) COLLATE SRVTEXT,
  IdOrigen           CHAR(4)      COLLATE SRVTEXT,
  ControladoPor      VARCHAR(50)  COLLATE SRVTEXT,
  CANT_KG            NUMERIC(18,4),
  Cant_BL            NUMERIC(18,4),
  CANT_M3            NUMERIC(18,4),
  EnComodato         BIT DEFAULT 0,
  Entregado          BIT DEFAULT 0,
  EntregadoMostrador BIT DEFAULT 0,
  Presentacion       VARCHAR(50)  COLLATE SRVTEXT,
  Largo              DECIMAL(18,4),
  Ancho              DECIMAL(18,4),
  Espesor            DECIMAL(18,4),
  IdReparto          INT,
  Cantidadpreparada  NUMERIC(18,4),
  Recepcion          INT,
  CodigoArtProveedor VARCHAR(50)  COLLATE SRVTEXT
);
CREATE INDEX IX_V_MV_CPTEINSUMOS_KEY ON V_MV_CPTEINSUMOS (TC, IDCOMPROBANTE, IDCOMPLEMENTO);
CREATE INDEX IX_V_MV_CPTEINSUMOS_ART ON V_MV_CPTEINSUMOS (IdArticulo);

CREATE TABLE C_MV_CPTEINSUMOS (
  ID                 INTEGER PRIMARY KEY,
  TC                 CHAR(4)      COLLATE SRVTEXT,
  IDCOMPROBANTE      CHAR(13)     COLLATE SRVTEXT,
  IDCOMPLEMENTO      INT DEFAULT 0,
  CUENTA             VARCHAR(15)  COLLATE SRVTEXT,
  Secuencia          INT,
  IdArticulo         CHAR(25)     COLLATE SRVTEXT,
  Descripcion        VARCHAR(255) COLLATE SRVTEXT,
  Cantidad           NUMERIC(18,4),
  IdUnidad           CHAR(4)      COLLATE SRVTEXT,
  IdUnidadBase       CHAR(4)      COLLATE SRVTEXT,
  CantidadUD         NUMERIC(18,4),
  Equiv_UDBase       NUMERIC(18,6),
  Ud_Pr              CHAR(4)      COLLATE SRVTEXT,
  Importe            MONEY,
  Importe_S_IVA      MONEY,
  Importe_Ud         MONEY,
  Total              MONEY,
  TotalFinal         MONEY,
  Impuestos          MONEY,
  ITC                MONEY,
  AlicIVA            DECIMAL(9,4),
  Exento             BIT DEFAULT 0,
  PorcDto            DECIMAL(9,4),
  idLista            CHAR(4)      COLLATE SRVTEXT,
  Precio_Lista       MONEY,
  Costo              MONEY,
  CANTIDADAFACTURAR  NUMERIC(18,4),
  IdDeposito         CHAR(4)      COLLATE SRVTEXT,
  IdPosicion         VARCHAR(15)  COLLATE SRVTEXT,
  Nro_Lote           VARCHAR(255) COLLATE SRVTEXT,
  Nro_Serie          VARCHAR(255) COLLATE SRVTEXT,
  IdOrigen           CHAR(4)      COLLATE SRVTEXT,
  ControladoPor      VARCHAR(50)  COLLATE SRVTEXT,
  CANT_KG            NUMERIC(18,4),
  Cant_BL            NUMERIC(18,4),
  CANT_M3            NUMERIC(18,4),
  EnComodato         BIT DEFAULT 0,
  Entregado          BIT DEFAULT 0,
  EntregadoMostrador BIT DEFAULT 0,
  Presentacion       VARCHAR(50)  COLLATE SRVTEXT,
  Largo              DECIMAL(18,4),
  Ancho              DECIMAL(18,4),
  Espesor            DECIMAL(18,4),
  IdReparto          INT,
  Cantidadpreparada  NUMERIC(18,4),
  Recepcion          INT,
  CodigoArtProveedor VARCHAR(50)  COLLATE SRVTEXT
);
CREATE INDEX IX_C_MV_CPTEINSUMOS_KEY ON C_MV_CPTEINSUMOS (TC, IDCOMPROBANTE, CUENTA);

-- Task lines; Horas holds minutes.
CREATE TABLE V_MV_CPTETAREAS (
  ID                   INTEGER PRIMARY KEY,
  TC                   CHAR(4)      COLLATE SRVTEXT,
  IDCOMPROBANTE        CHAR(13)     COLLATE SRVTEXT,
  IDCOMPLEMENTO        INT DEFAULT 0,
  CUENTA               VARCHAR(15)  COLLATE SRVTEXT,
  IDTAREA              CHAR(4)      COLLATE SRVTEXT,
  Descripcion          VARCHAR(255) COLLATE SRVTEXT,
  descripcionadicional VARCHAR(255) COLLATE SRVTEXT,
  Horas                INT,
  ValorHora            MONEY,
  valorHora_S_Iva      MONEY,
  Total                MONEY,
  FechaEstInicio       DATETIME,
  FechaEstFin          DATETIME,
  FechaREALInicio      DATETIME,
  FechaREALFin         DATETIME,
  IdTecnico            CHAR(4)      COLLATE SRVTEXT,
  Prioridad            INT,
  Usuario              VARCHAR(50)  COLLATE SRVTEXT,
  FHPRESENTACION       DATETIME,
  FhEmision            DATETIME,
  NroExp               VARCHAR(20)  COLLATE SRVTEXT,
  FhEntrega            DATETIME
);
CREATE INDEX IX_V_MV_CPTETAREAS_KEY ON V_MV_CPTETAREAS (TC, IDCOMPROBANTE, IDCOMPLEMENTO);

CREATE TABLE C_MV_CPTETAREAS (
  ID              INTEGER PRIMARY KEY,
  TC              CHAR(4)      COLLATE SRVTEXT,
  IDCOMPROBANTE   CHAR(13)     COLLATE SRVTEXT,
  IDCOMPLEMENTO   INT DEFAULT 0,
  CUENTA          VARCHAR(15)  COLLATE SRVTEXT,
  IDTAREA         CHAR(4)      COLLATE SRVTEXT,
  Descripcion     VARCHAR(255) COLLATE SRVTEXT,
  Horas           INT,
  ValorHora       MONEY,
  valorHora_S_Iva MONEY,
  Total           MONEY
);
CREATE INDEX IX_C_MV_CPTETAREAS_KEY ON C_MV_CPTETAREAS (TC, IDCOMPROBANTE, CUENTA);

-- Observation lines; TIPO_OBS 'OC' are the other-concept lines.
CREATE TABLE V_MV_CPTE_OBSERV (
  ID            INTEGER PRIMARY KEY,
  TC            CHAR(4)      COLLATE SRVTEXT,
  IDCOMPROBANTE CHAR(13)     COLLATE SRVTEXT,
  IDCOMPLEMENTO INT DEFAULT 0,
  CUENTA        VARCHAR(15)  COLLATE SRVTEXT,
  TIPO_OBS      CHAR(2)      COLLATE SRVTEXT,
  Observacion   VARCHAR(255) COLLATE SRVTEXT,
  Importe       MONEY,
  Importe_S_IVA MONEY,
  NroViaje      VARCHAR(13)  COLLATE SRVTEXT
);
CREATE INDEX IX_V_MV_CPTE_OBSERV_KEY ON V_MV_CPTE_OBSERV (TC, IDCOMPROBANTE, IDCOMPLEMENTO);

CREATE TABLE C_MV_CPTE_OBSERV (
  ID            INTEGER PRIMARY KEY,
  TC            CHAR(4)      COLLATE SRVTEXT,
  IDCOMPROBANTE CHAR(13)     COLLATE SRVTEXT,
  IDCOMPLEMENTO INT DEFAULT 0,
  CUENTA        VARCHAR(15)  COLLATE SRVTEXT,
  TIPO_OBS      CHAR(2)      COLLATE SRVTEXT,
  Observacion   VARCHAR(255) COLLATE SRVTEXT,
  Importe       MONEY,
  Importe_S_IVA MONEY,
  NroViaje      VARCHAR(13)  COLLATE SRVTEXT
);
CREATE INDEX IX_C_MV_CPTE_OBSERV_KEY ON C_MV_CPTE_OBSERV (TC, IDCOMPROBANTE, CUENTA);

-- Vouchers of other parties.
CREATE TABLE V_MV_CPTETERCEROS (
  ID            INTEGER PRIMARY KEY,
  TC            CHAR(4)      COLLATE SRVTEXT,
  IDCOMPROBANTE CHAR(13)     COLLATE SRVTEXT,
  IDCOMPLEMENTO INT DEFAULT 0,
  CUENTA        VARCHAR(15)  COLLATE SRVTEXT,
  Nombre        VARCHAR(100) COLLATE SRVTEXT,
  FECHA         DATETIME,
  Importe       MONEY,
  FECHAENVIADO  DATETIME,
  FECHARECIBIDO DATETIME
);

-- Applications: voucher TC/SUCURSAL/NUMERO/LETRA applied to (or made
-- from) the origin voucher of the _ORIGEN columns.
CREATE TABLE MV_APLICACION (
  ID                   INTEGER PRIMARY KEY,
  TC                   CHAR(4)     COLLATE SRVTEXT,
  SUCURSAL             CHAR(4)     COLLATE SRVTEXT,
  NUMERO               CHAR(8)     COLLATE SRVTEXT,
  LETRA                CHAR(1)     COLLATE SRVTEXT,
  IDComprobante        CHAR(13)    COLLATE SRVTEXT,
  IdComplemento        INT DEFAULT 0,
  TCO_ORIGEN           CHAR(4)     COLLATE SRVTEXT,
  SUCURSAL_ORIGEN      CHAR(4)     COLLATE SRVTEXT,
  NUMERO_ORIGEN        CHAR(8)     COLLATE SRVTEXT,
  LETRA_ORIGEN         CHAR(1)     COLLATE SRVTEXT,
  IDComprobante_Origen CHAR(13)    COLLATE SRVTEXT,
  IdComplemento_Origen INT DEFAULT 0,
  IDARTICULO           CHAR(25)    COLLATE SRVTEXT,
  CANTIDAD             NUMERIC(18,4),
  IMPORTE              MONEY,
  FECHA                DATETIME,
  CUENTA               VARCHAR(15) COLLATE SRVTEXT
);
CREATE INDEX IX_MV_APLICACION_KEY ON MV_APLICACION (TC, SUCURSAL, NUMERO, LETRA);
CREATE INDEX IX_MV_APLICACION_ORIGEN ON MV_APLICACION (TCO_ORIGEN, SUCURSAL_ORIGEN, NUMERO_ORIGEN, LETRA_ORIGEN);
CREATE INDEX IX_MV_APLICACION_IDORIGEN ON MV_APLICACION (IDComprobante_Origen, TCO_ORIGEN);

-- Control rows of used numbers.
CREATE TABLE V_MV_CTROL_CPTE (
  ID       INTEGER PRIMARY KEY,
  TC       CHAR(4) COLLATE SRVTEXT,
  SUCURSAL CHAR(4) COLLATE SRVTEXT,
  NUMERO   CHAR(8) COLLATE SRVTEXT,
  LETRA    CHAR(1) COLLATE SRVTEXT
);
CREATE INDEX IX_V_MV_CTROL_CPTE_KEY ON V_MV_CTROL_CPTE (TC, SUCURSAL, NUMERO, LETRA);

-- Stock reserved by a voucher.
CREATE TABLE V_MV_RESERVAS (
  ID            INTEGER PRIMARY KEY,
  TC            CHAR(4)  COLLATE SRVTEXT,
  IDCOMPROBANTE CHAR(13) COLLATE SRVTEXT,
  IDCOMPLEMENTO INT DEFAULT 0,
  IdArticulo    CHAR(25) COLLATE SRVTEXT,
  IdDeposito    CHAR(4)  COLLATE SRVTEXT,
  Cantidad      NUMERIC(18,4),
  Fecha         DATETIME
);
CREATE INDEX IX_V_MV_RESERVAS_KEY ON V_MV_RESERVAS (TC, IDCOMPROBANTE);

-- Bonus lines; IDNC names the credit note that settled the bonus.
CREATE TABLE V_MV_BONOS_DETALLE (
  ID       INTEGER PRIMARY KEY,
  NroBono  VARCHAR(20) COLLATE SRVTEXT,
  CUENTA   VARCHAR(15) COLLATE SRVTEXT,
  Importe  MONEY,
  IDNC     CHAR(13)    COLLATE SRVTEXT
);
CREATE INDEX IX_V_MV_BONOS_DETALLE_IDNC ON V_MV_BONOS_DETALLE (IDNC);

-- Mutual-aid orders; FACTURA names the invoice that billed the order.
CREATE TABLE V_MV_MUTUALES (
  ID                     INTEGER PRIMARY KEY,
  IdMutual               CHAR(4)     COLLATE SRVTEXT,
  CUENTA                 VARCHAR(15) COLLATE SRVTEXT,
  NroOrden               VARCHAR(20) COLLATE SRVTEXT,
  Importe                MONEY,
  FACTURA                CHAR(13)    COLLATE SRVTEXT,
  FECHAHORA_GRABACION    DATETIME,
  FECHAHORA_MODIFICACION DATETIME
);
CREATE INDEX IX_V_MV_MUTUALES_FACTURA ON V_MV_MUTUALES (FACTURA);

CREATE TABLE MV_VIAJES (
  ID            INTEGER PRIMARY KEY,
  TC            CHAR(4)     COLLATE SRVTEXT,
  IDCOMPROBANTE CHAR(13)    COLLATE SRVTEXT,
  FECHA         DATETIME,
  Descripcion   VARCHAR(100) COLLATE SRVTEXT
);
CREATE INDEX IX_MV_VIAJES_KEY ON MV_VIAJES (TC, IDCOMPROBANTE);
-- The last trip number of a branch and letter, as on the stock rows.
-- engine: embedded
CREATE INDEX IX_MV_VIAJES_NUMERACION ON MV_VIAJES
  (TC, SUBSTRING(IDCOMPROBANTE, 1, 4) COLLATE SRVTEXT, SUBSTRING(IDCOMPROBANTE, 13, 1) COLLATE SRVTEXT, IDCOMPROBANTE);
-- engine: server
ALTER TABLE MV_VIAJES ADD SUCURSAL_ID AS SUBSTRING(IDCOMPROBANTE, 1, 4), LETRA_ID AS SUBSTRING(IDCOMPROBANTE, 13, 1);
-- engine: server
CREATE INDEX IX_MV_VIAJES_NUMERACION ON MV_VIAJES (TC, SUCURSAL_ID, LETRA_ID, IDCOMPROBANTE);

CREATE TABLE MV_PREPARACION (
  IDPREPARACION      INTEGER PRIMARY KEY,
  FECHA              DATETIME,
  FECHA_FINALIZACION DATETIME
);

CREATE TABLE MV_PREPARACION_DETALLES (
  ID                INTEGER PRIMARY KEY,
  IDPREPARACION     INT,
  TC                CHAR(4)  COLLATE SRVTEXT,
  IDCOMPROBANTE     CHAR(13) COLLATE SRVTEXT,
  IDARTICULO        CHAR(25) COLLATE SRVTEXT,
  Cantidadpreparada NUMERIC(18,4)
);
CREATE INDEX IX_MV_PREPARACION_DETALLES_KEY ON MV_PREPARACION_DETALLES (TC, IDCOMPROBANTE, IDARTICULO);

-- Stock shortages noted from an article lookup.
CREATE TABLE V_MV_FALTANTES (
  ID          INTEGER PRIMARY KEY,
  FechaHora   DATETIME,
  IdArticulo  CHAR(25)     COLLATE SRVTEXT,
  Descripcion VARCHAR(255) COLLATE SRVTEXT,
  Usuario     VARCHAR(50)  COLLATE SRVTEXT
);

-- Balance of the real charges applied to an account.
CREATE TABLE V_MV_CargosAplicados (
  ID     INTEGER PRIMARY KEY,
  CUENTA VARCHAR(15) COLLATE SRVTEXT,
  SALDO  MONEY
);
CREATE INDEX IX_V_MV_CargosAplicados_CUENTA ON V_MV_CargosAplicados (CUENTA);
