-- Views over the tables above: article views, pending-document views,
-- quantity summaries and the synonyms of the restricted tables.

CREATE VIEW VT_MA_ARTICULOS AS SELECT * FROM V_MA_ARTICULOS;
CREATE VIEW STK_MA_ARTICULOS AS SELECT * FROM V_MA_ARTICULOS;

CREATE VIEW VT_MA_PRECIOS_ARTICULOS AS
  SELECT IDARTICULO, IDLISTA, TIPOLISTA, idunidad, Precio, CONIVA FROM V_MA_PRECIOS;

-- Documents still open: not annulled, not finished.
CREATE VIEW V_OT_Pendientes AS
  SELECT * FROM V_MV_CPTE WHERE ANULADA = 0 AND FINALIZADA = 0;
CREATE VIEW V_RemitosPendientes AS
  SELECT * FROM V_MV_CPTE WHERE ANULADA = 0 AND FINALIZADA = 0;
CREATE VIEW V_PR_PENDIENTES AS
  SELECT * FROM V_MV_CPTE WHERE ANULADA = 0 AND FINALIZADA = 0;
CREATE VIEW C_RemitosPendientes AS
  SELECT * FROM C_MV_CPTE WHERE ANULADA = 0 AND FINALIZADO = 0;

-- The two sums below are always read for one voucher. The embedded engine
-- does not carry a condition on the keys into a GROUP BY of columns with
-- the text collation, so there a grouped view would sum every row of the
-- table on each read; its form instead is one row per group (the group's
-- first row) with the group's sum beside it, which reads only the rows of
-- the voucher asked for. Same rows, same sums; the server keeps the
-- grouped form, which it narrows by itself.

-- Quantities applied from each origin voucher and article. An article
-- applied under its padded and its plain code is one article: the sum goes
-- by the code without blanks, and the row shows its lowest stored form (the
-- padded one when there is one).
-- engine: server
CREATE VIEW VT_V_MV_INSUMOS_APLICACION AS
  SELECT TCO_ORIGEN, IDComprobante_Origen AS IdComprobanteOrigen, MIN(IDARTICULO) AS IDARTICULO,
         SUM(CANTIDAD) AS CantidadAplicada
    FROM MV_APLICACION
   GROUP BY TCO_ORIGEN, IDComprobante_Origen, LTRIM(RTRIM(IDARTICULO));
-- engine: embedded
CREATE VIEW VT_V_MV_INSUMOS_APLICACION AS
  SELECT g.TCO_ORIGEN AS TCO_ORIGEN, g.IDComprobante_Origen AS IdComprobanteOrigen,
         (SELECT MIN(m.IDARTICULO) FROM MV_APLICACION m
           WHERE m.IDComprobante_Origen IS g.IDComprobante_Origen AND m.TCO_ORIGEN IS g.TCO_ORIGEN
             AND LTRIM(RTRIM(m.IDARTICULO)) IS LTRIM(RTRIM(g.IDARTICULO)) COLLATE SRVTEXT) AS IDARTICULO,
         (SELECT SUM(s.CANTIDAD) FROM MV_APLICACION s
           WHERE s.IDComprobante_Origen IS g.IDComprobante_Origen AND s.TCO_ORIGEN IS g.TCO_ORIGEN
             AND LTRIM(RTRIM(s.IDARTICULO)) IS LTRIM(RTRIM(g.IDARTICULO)) COLLATE SRVTEXT) AS CantidadAplicada
    FROM MV_APLICACION g
   WHERE g.ID = (SELECT MIN(f.ID) FROM MV_APLICACION f
                  WHERE f.IDComprobante_Origen IS g.IDComprobante_Origen AND f.TCO_ORIGEN IS g.TCO_ORIGEN
                    AND LTRIM(RTRIM(f.IDARTICULO)) IS LTRIM(RTRIM(g.IDARTICULO)) COLLATE SRVTEXT);

-- Line quantity per voucher and article.
-- engine: server
CREATE VIEW VT_V_MV_CPTEINSUMOS_CONS2 AS
  SELECT TC, IDCOMPROBANTE, IDCOMPLEMENTO, IdArticulo AS IDARTICULO,
         SUM(Cantidad) AS Cantidad
    FROM V_MV_CPTEINSUMOS
   GROUP BY TC, IDCOMPROBANTE, IDCOMPLEMENTO, IdArticulo;
-- engine: embedded
CREATE VIEW VT_V_MV_CPTEINSUMOS_CONS2 AS
  SELECT g.TC AS TC, g.IDCOMPROBANTE AS IDCOMPROBANTE, g.IDCOMPLEMENTO AS IDCOMPLEMENTO, g.IdArticulo AS IDARTICULO,
         (SELECT SUM(s.Cantidad) FROM V_MV_CPTEINSUMOS s
           WHERE s.TC IS g.TC AND s.IDCOMPROBANTE IS g.IDCOMPROBANTE
             AND s.IDCOMPLEMENTO IS g.IDCOMPLEMENTO AND s.IdArticulo IS g.IdArticulo) AS Cantidad
    FROM V_MV_CPTEINSUMOS g
   WHERE g.ID = (SELECT MIN(f.ID) FROM V_MV_CPTEINSUMOS f
                  WHERE f.TC IS g.TC AND f.IDCOMPROBANTE IS g.IDCOMPROBANTE
                    AND f.IDCOMPLEMENTO IS g.IDCOMPLEMENTO AND f.IdArticulo IS g.IdArticulo);

-- Quantity each stock row of a voucher has moved, entries and exits alike.
CREATE VIEW VT_V_MV_Stock_Cons AS
  SELECT TC, IdComprobante AS IDCOMPROBANTE, IdComplemento AS IDCOMPLEMENTO,
         IdArticulo AS IDARTICULO, IdDeposito AS IDDEPOSITO,
         ABS(Cantidad) AS CANTIDAD
    FROM V_MV_STOCK;

-- Synonyms that non-administrators read instead of the restricted tables.
CREATE VIEW SS_MA_CUENTAS AS SELECT * FROM MA_CUENTAS;
CREATE VIEW SS_V_TA_DEPOSITO AS SELECT * FROM V_TA_DEPOSITO;
CREATE VIEW SS_MV_ASIENTOS AS SELECT * FROM MV_ASIENTOS;
CREATE VIEW SS_V_TA_FAMILIAS AS SELECT * FROM V_TA_FAMILIAS;
CREATE VIEW SS_V_TA_CAJAS AS SELECT * FROM V_TA_CAJAS;
CREATE VIEW SS_AC_CUENTASDIARIO AS SELECT * FROM AC_CUENTASDIARIO;
CREATE VIEW SS_AC_CUENTAS_DIARIO_CCOSTO AS SELECT * FROM AC_CUENTASDIARIO_CCOSTO;
