-- Articles, their prices and components, storage positions, customers,
-- suppliers and other masters.

-- Article codes are 25 characters, stored as the code fill gives them.
CREATE TABLE V_MA_ARTICULOS (
  IDARTICULO         CHAR(25)     COLLATE SRVTEXT PRIMARY KEY,
  DESCRIPCION        VARCHAR(255) COLLATE SRVTEXT,
  Descripabrev       VARCHAR(50)  COLLATE SRVTEXT,
  IDUNIDAD           CHAR(4)      COLLATE SRVTEXT,
  UD_TTE             CHAR(4)      COLLATE SRVTEXT,
  codigobarra        VARCHAR(50)  COLLATE SRVTEXT,
  CODIGOBARRADUN     VARCHAR(50)  COLLATE SRVTEXT,
  CODIGOBARRA1       VARCHAR(50)  COLLATE SRVTEXT,
  UMCB1              CHAR(4)      COLLATE SRVTEXT,
  CODIGOBARRA2       VARCHAR(50)  COLLATE SRVTEXT,
  UMCB2              CHAR(4)      COLLATE SRVTEXT,
  CODIGOBARRA3       VARCHAR(50)  COLLATE SRVTEXT,
  UMCB3              CHAR(4)      COLLATE SRVTEXT,
  CODIGOBARRA4       VARCHAR(50)  COLLATE SRVTEXT,
  UMCB4              CHAR(4)      COLLATE SRVTEXT,
  CodigoArtProveedor VARCHAR(50)  COLLATE SRVTEXT,
  CUENTAPROVEEDOR    VARCHAR(15)  COLLATE SRVTEXT,
  cuentacontableC    VARCHAR(15)  COLLATE SRVTEXT,
  CuentaContable     VARCHAR(15)  COLLATE SRVTEXT,
  idTipo             CHAR(4)      COLLATE SRVTEXT,
  IdRubro            CHAR(4)      COLLATE SRVTEXT,
  IdFamilia          VARCHAR(20)  COLLATE SRVTEXT,
  procedencia        VARCHAR(20)  COLLATE SRVTEXT,
  Presentacion       VARCHAR(50)  COLLATE SRVTEXT,
  Costo              MONEY,
  Impuestos          MONEY,
  ITC                MONEY,
  TasaIVA            DECIMAL(9,4),
  Exento             BIT DEFAULT 0,
  USASERIE           BIT DEFAULT 0,
  USALOTE            BIT DEFAULT 0,
  UsaTalle           BIT DEFAULT 0,
  pesable            BIT DEFAULT 0,
  PIDEMEDIDAS        BIT DEFAULT 0,
  PIDEEQUIVALENCIA   BIT DEFAULT 0,
  Perecedero         BIT DEFAULT 0,
  Largo              DECIMAL(18,4),
  Ancho              DECIMAL(18,4),
  Espesor            DECIMAL(18,4),
  PRECIO1            MONEY,
  PRECIO2            MONEY,
  PRECIO3            MONEY,
  PRECIO4            MONEY,
  PRECIO5            MONEY,
  PRECIO6            MONEY,
  PRECIO7            MONEY,
  PRECIO8            MONEY,
  SUSPENDIDO         BIT DEFAULT 0
);
CREATE INDEX IX_V_MA_ARTICULOS_BARRA ON V_MA_ARTICULOS (codigobarra);
-- The other bar codes of an article: an item typed by a bar code is looked
-- for in each of them.
CREATE INDEX IX_V_MA_ARTICULOS_BARRADUN ON V_MA_ARTICULOS (CODIGOBARRADUN);
CREATE INDEX IX_V_MA_ARTICULOS_BARRA1 ON V_MA_ARTICULOS (CODIGOBARRA1);
CREATE INDEX IX_V_MA_ARTICULOS_BARRA2 ON V_MA_ARTICULOS (CODIGOBARRA2);
CREATE INDEX IX_V_MA_ARTICULOS_BARRA3 ON V_MA_ARTICULOS (CODIGOBARRA3);
CREATE INDEX IX_V_MA_ARTICULOS_BARRA4 ON V_MA_ARTICULOS (CODIGOBARRA4);

-- The supplier's own code of an article, always looked for with a value.
-- Most articles have none: the embedded engine leaves those out of the
-- index, or its statistics (one huge group of NULLs) would make a scan
-- look cheaper than the index.
-- engine: embedded
CREATE INDEX IX_V_MA_ARTICULOS_PROV ON V_MA_ARTICULOS (CodigoArtProveedor, CUENTAPROVEEDOR)
  WHERE CodigoArtProveedor IS NOT NULL;
-- engine: server
CREATE INDEX IX_V_MA_ARTICULOS_PROV ON V_MA_ARTICULOS (CodigoArtProveedor, CUENTAPROVEEDOR);

-- Article lookups compare the code without its blanks
-- ("LTRIM(RTRIM(IdArticulo)) = '...'"). The embedded engine indexes that
-- expression under the collation the comparison takes; the server indexes
-- a computed column of the same expression, which it matches to the
-- statement by itself. The computed column comes last in "SELECT *".
-- engine: embedded
CREATE INDEX IX_V_MA_ARTICULOS_RECORTADO ON V_MA_ARTICULOS (LTRIM(RTRIM(IDARTICULO)) COLLATE SRVTEXT);
-- engine: server
ALTER TABLE V_MA_ARTICULOS ADD IDARTICULO_RECORTADO AS LTRIM(RTRIM(IDARTICULO));
-- engine: server
CREATE INDEX IX_V_MA_ARTICULOS_RECORTADO ON V_MA_ARTICULOS (IDARTICULO_RECORTADO);

-- Price lists ('V' sales, 'C' purchases).
CREATE TABLE V_MA_PRECIOS (
  ID                  INTEGER PRIMARY KEY,
  IDLISTA             CHAR(4)     COLLATE SRVTEXT,
  TIPOLISTA           CHAR(1)     COLLATE SRVTEXT,
  IDARTICULO          CHAR(25)    COLLATE SRVTEXT,
  IDARTICULOPROVEEDOR VARCHAR(50) COLLATE SRVTEXT,
  idunidad            CHAR(4)     COLLATE SRVTEXT,
  Precio              MONEY,
  CONIVA              BIT DEFAULT 0
);
CREATE INDEX IX_V_MA_PRECIOS_ART ON V_MA_PRECIOS (IDARTICULO, IDLISTA, TIPOLISTA);
CREATE INDEX IX_V_MA_PRECIOS_PROV ON V_MA_PRECIOS (IDARTICULOPROVEEDOR, IDLISTA, TIPOLISTA);

CREATE TABLE V_DescuentoPorArticulos (
  ID         INTEGER PRIMARY KEY,
  IDARTICULO CHAR(25)    COLLATE SRVTEXT,
  CUENTA     VARCHAR(15) COLLATE SRVTEXT,
  Descuento  DECIMAL(9,4)
);

CREATE TABLE V_ListaPreciosPorItemArticulos (
  ID         INTEGER PRIMARY KEY,
  IDLISTA    CHAR(4)  COLLATE SRVTEXT,
  IDARTICULO CHAR(25) COLLATE SRVTEXT,
  Precio     MONEY
);

-- Components of an article.
CREATE TABLE V_MA_INSUMOS (
  ID               INTEGER PRIMARY KEY,
  IDARTICULO       CHAR(25) COLLATE SRVTEXT,
  IdArticuloInsumo CHAR(25) COLLATE SRVTEXT,
  IdUnidadInsumo   CHAR(4)  COLLATE SRVTEXT,
  Cantidad         NUMERIC(18,4)
);
CREATE INDEX IX_V_MA_INSUMOS_ART ON V_MA_INSUMOS (IDARTICULO);

CREATE TABLE V_MA_MANTENIMIENTOS (
  CODIGO      VARCHAR(15) COLLATE SRVTEXT PRIMARY KEY,
  DESCRIPCION VARCHAR(50) COLLATE SRVTEXT
);

CREATE TABLE MA_CONTACTOS (
  ID                INTEGER PRIMARY KEY,
  Nombre_y_Apellido VARCHAR(100) COLLATE SRVTEXT,
  Domicilio         VARCHAR(100) COLLATE SRVTEXT,
  Localidad         VARCHAR(50)  COLLATE SRVTEXT,
  Telefono          VARCHAR(30)  COLLATE SRVTEXT
);

-- Storage positions of a deposit, in their entry order.
CREATE TABLE MA_POSICIONES (
  ID           INTEGER PRIMARY KEY,
  IDDEPOSITO   CHAR(4)     COLLATE SRVTEXT,
  IDPOSICION   VARCHAR(15) COLLATE SRVTEXT,
  DESCRIPCION  VARCHAR(50) COLLATE SRVTEXT,
  ORDENINGRESO INT
);
CREATE INDEX IX_MA_POSICIONES_POS ON MA_POSICIONES (IDDEPOSITO, IDPOSICION);

CREATE TABLE VT_CLIENTES (
  CODIGO       VARCHAR(15)  COLLATE SRVTEXT PRIMARY KEY,
  RAZON_SOCIAL VARCHAR(100) COLLATE SRVTEXT,
  CONTACTO     VARCHAR(100) COLLATE SRVTEXT,
  Dada_De_Baja BIT DEFAULT 0
);

CREATE TABLE VT_PROVEEDORES (
  CODIGO       VARCHAR(15)  COLLATE SRVTEXT PRIMARY KEY,
  RAZON_SOCIAL VARCHAR(100) COLLATE SRVTEXT,
  Dada_De_Baja BIT DEFAULT 0
);
