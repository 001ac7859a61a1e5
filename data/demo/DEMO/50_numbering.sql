-- Demo database DEMO: number books of the remaining voucher types, their
-- sub-journals, unit equivalences, lots and stock balances.
-- Keys are written as the server's CHAR columns keep them: digit-only codes
-- right-aligned behind blanks ("   1"), other codes left-aligned ("FP  ").

-- Books hold the number to hand out next (A_ULTIMO_NRO ...).
INSERT INTO V_TA_CPTE (CODIGO, Talonario, Descripcion, Letras, UNEGOCIO, Modificanumeracion, Externo, Sistema, Signo, DebeHaber, ES, A_SUC_DEFAULT, A_NRO_DESDE, A_NRO_HASTA, A_ULTIMO_NRO, B_SUC_DEFAULT, B_NRO_DESDE, B_NRO_HASTA, B_ULTIMO_NRO, X_SUC_DEFAULT, X_NRO_DESDE, X_NRO_HASTA, X_ULTIMO_NRO, R_SUC_DEFAULT, R_NRO_DESDE, R_NRO_HASTA, R_ULTIMO_NRO) VALUES ('ND  ', 1, 'Nota de Debito', 'A,B', NULL, 0, 'NO', 'Ventas', 1, 'D', ' ', 1, 1, 99999999, 41, 1, 1, 99999999, 41, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL);
INSERT INTO V_TA_CPTE (CODIGO, Talonario, Descripcion, Letras, UNEGOCIO, Modificanumeracion, Externo, Sistema, Signo, DebeHaber, ES, A_SUC_DEFAULT, A_NRO_DESDE, A_NRO_HASTA, A_ULTIMO_NRO, B_SUC_DEFAULT, B_NRO_DESDE, B_NRO_HASTA, B_ULTIMO_NRO, X_SUC_DEFAULT, X_NRO_DESDE, X_NRO_HASTA, X_ULTIMO_NRO, R_SUC_DEFAULT, R_NRO_DESDE, R_NRO_HASTA, R_ULTIMO_NRO) VALUES ('RM  ', 1, 'Remito', 'R,X', NULL, 0, 'NO', 'Ventas', 1, 'D', 'S', NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, 1, 1, 99999999, 801, 1, 1, 99999999, 801);
INSERT INTO V_TA_CPTE (CODIGO, Talonario, Descripcion, Letras, UNEGOCIO, Modificanumeracion, Externo, Sistema, Signo, DebeHaber, ES, A_SUC_DEFAULT, A_NRO_DESDE, A_NRO_HASTA, A_ULTIMO_NRO, B_SUC_DEFAULT, B_NRO_DESDE, B_NRO_HASTA, B_ULTIMO_NRO, X_SUC_DEFAULT, X_NRO_DESDE, X_NRO_HASTA, X_ULTIMO_NRO, R_SUC_DEFAULT, R_NRO_DESDE, R_NRO_HASTA, R_ULTIMO_NRO) VALUES ('AJN ', 1, 'Ajuste Negativo de Stock', 'X', NULL, 0, 'NO', 'Stock', -1, 'H', 'S', NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, 1, 1, 99999999, 12, NULL, NULL, NULL, NULL);
INSERT INTO V_TA_CPTE (CODIGO, Talonario, Descripcion, Letras, UNEGOCIO, Modificanumeracion, Externo, Sistema, Signo, DebeHaber, ES, A_SUC_DEFAULT, A_NRO_DESDE, A_NRO_HASTA, A_ULTIMO_NRO, B_SUC_DEFAULT, B_NRO_DESDE, B_NRO_HASTA, B_ULTIMO_NRO, X_SUC_DEFAULT, X_NRO_DESDE, X_NRO_HASTA, X_ULTIMO_NRO, R_SUC_DEFAULT, R_NRO_DESDE, R_NRO_HASTA, R_ULTIMO_NRO) VALUES ('CMV ', 1, 'Costo de Mercaderia Vendida', 'X', NULL, 0, 'NO', 'Contable', 1, 'D', ' ', NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, 1, 1, 99999999, 7, NULL, NULL, NULL, NULL);
-- Purchase debit notes are numbered by the supplier.
INSERT INTO V_TA_CPTE (CODIGO, Talonario, Descripcion, Letras, UNEGOCIO, Modificanumeracion, Externo, Sistema, Signo, DebeHaber, ES, A_SUC_DEFAULT, A_NRO_DESDE, A_NRO_HASTA, A_ULTIMO_NRO, B_SUC_DEFAULT, B_NRO_DESDE, B_NRO_HASTA, B_ULTIMO_NRO, X_SUC_DEFAULT, X_NRO_DESDE, X_NRO_HASTA, X_ULTIMO_NRO, R_SUC_DEFAULT, R_NRO_DESDE, R_NRO_HASTA, R_ULTIMO_NRO) VALUES ('NDC ', 1, 'Nota de Debito de Compra', 'A,B,C', NULL, 1, 'SI', 'Compras', 1, 'H', ' ', 0, 0, 0, 0, 0, 0, 0, 0, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL);

-- The operator user works at branch 1 with letter B by default.
UPDATE TA_USUARIOS SET sucot = '0001', letot = 'B' WHERE NOMBRE = 'OPERADOR';

INSERT INTO MA_SUBDIARIOSCOMPROBANTES (TC, Subdiario) VALUES ('ND  ', 'VT  ');
INSERT INTO MA_SUBDIARIOSCOMPROBANTES (TC, Subdiario) VALUES ('AJN ', 'ST  ');
INSERT INTO MA_SUBDIARIOSCOMPROBANTES (TC, Subdiario) VALUES ('CMV ', 'ST  ');

-- A 20 l pail weighs 25 kg and takes 0.02 m3; a box holds 100 screws of 0.01 kg.
INSERT INTO S_TA_EQUIV (IdArticulo, IDUNIDAD, IDUNIDAD_EQUIV, Coeficiente) VALUES ('PINT-LATEX-20            ', 'UN  ', 'KG  ', 25);
INSERT INTO S_TA_EQUIV (IdArticulo, IDUNIDAD, IDUNIDAD_EQUIV, Coeficiente) VALUES ('PINT-LATEX-20            ', 'UN  ', 'M3  ', 0.02);
INSERT INTO S_TA_EQUIV (IdArticulo, IDUNIDAD, IDUNIDAD_EQUIV, Coeficiente) VALUES ('                     1001', 'KG  ', 'UN  ', 1);

INSERT INTO STK_SERIES_Y_LOTES (IdArticulo, IdDeposito, NroLote, NroSerie, IdPosicion, Cantidad) VALUES ('PINT-LATEX-20            ', '   1', 'L2026-002', NULL, NULL, 5.0);
INSERT INTO STK_SERIES_Y_LOTES (IdArticulo, IdDeposito, NroLote, NroSerie, IdPosicion, Cantidad) VALUES ('PINT-LATEX-20            ', '   2', 'L2026-002', NULL, NULL, 3.0);

INSERT INTO STK_SALDOS_UNIDADES (IDARTICULO, EQUIVALENCIA, IDDEPOSITO, STOCK) VALUES ('                     1001', 'UN  ', '   1', 120.0);
INSERT INTO STK_SALDOS_UNIDADES (IDARTICULO, EQUIVALENCIA, IDDEPOSITO, STOCK) VALUES ('                     1001', 'UN  ', '   2', 30.0);
INSERT INTO STK_SALDOS_UNIDADES (IDARTICULO, EQUIVALENCIA, IDDEPOSITO, STOCK) VALUES ('                     1001', 'CJ  ', '   1', 60.0);
INSERT INTO STK_SALDOS_UNIDADES (IDARTICULO, EQUIVALENCIA, IDDEPOSITO, STOCK) VALUES ('PINT-LATEX-20            ', 'UN  ', '   1', 17.0);
INSERT INTO STK_SALDOS_UNIDADES (IDARTICULO, EQUIVALENCIA, IDDEPOSITO, STOCK) VALUES ('PINT-LATEX-20            ', 'UN  ', '   2', 3.0);

INSERT INTO STK_STOCK_UDKG (IDARTICULO, IDDEPOSITO, CantidadUd, CantidadKg) VALUES ('PINT-LATEX-20            ', '   1', 17.0, 425.0);
INSERT INTO STK_STOCK_UDKG (IDARTICULO, IDDEPOSITO, CantidadUd, CantidadKg) VALUES ('PINT-LATEX-20            ', '   2', 3.0, 75.0);
