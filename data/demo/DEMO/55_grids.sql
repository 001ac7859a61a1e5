-- Demo database DEMO: what the voucher grids read.
--
-- Layouts of the articles grid, by voucher type and configuration:
--   sales             FC, FP, NP, PR ... (system Ventas)
--   purchases         FCC, OC (system Compras)
--   stock             AJP, DVPE (system Stock); OP hides the amounts as well
--   work order        OT, amounts hidden while NOMOSTRARIMPORTESENOT is SI
--   counter delivery  FC, FP, RM (RM's book: 50_numbering.sql) with
--                     ENTREGADO_MOSTRADOR = SI (20_config.sql)
--   timber            any sales type with MADERERA = SI (20_config.sql)
--   lot and serial    DVPE shows both lists
-- The switches below are off, so the demo shows the plain layouts; setting
-- one to SI gives its layout (price list per item and discount per article
-- in sales, discount per article in purchases, units confirmation, fuel
-- transport tax, the deposit column). NOMBREARTICULOS has no row: the code
-- column is titled "Código".

INSERT INTO V_TA_CPTE (CODIGO, Talonario, Descripcion, Letras, UNEGOCIO, Modificanumeracion, Externo, Sistema, Signo, DebeHaber, ES, X_SUC_DEFAULT, X_NRO_DESDE, X_NRO_HASTA, X_ULTIMO_NRO) VALUES ('OT  ', 1, 'Orden de Trabajo', 'X', NULL, 0, 'NO', 'Ventas', 1, 'D', ' ', 1, 1, 99999999, 12);
INSERT INTO V_TA_CPTE (CODIGO, Talonario, Descripcion, Letras, UNEGOCIO, Modificanumeracion, Externo, Sistema, Signo, DebeHaber, ES, X_SUC_DEFAULT, X_NRO_DESDE, X_NRO_HASTA, X_ULTIMO_NRO) VALUES ('OP  ', 1, 'Orden de Produccion', 'X', NULL, 0, 'NO', 'Stock', 1, 'D', 'E', 1, 1, 99999999, 7);
INSERT INTO V_TA_CPTE (CODIGO, Talonario, Descripcion, Letras, UNEGOCIO, Modificanumeracion, Externo, Sistema, Signo, DebeHaber, ES, X_SUC_DEFAULT, X_NRO_DESDE, X_NRO_HASTA, X_ULTIMO_NRO) VALUES ('PR  ', 1, 'Presupuesto', 'X', NULL, 0, 'NO', 'Ventas', 1, 'D', ' ', 1, 1, 99999999, 40);
INSERT INTO V_TA_CPTE (CODIGO, Talonario, Descripcion, Letras, UNEGOCIO, Modificanumeracion, Externo, Sistema, Signo, DebeHaber, ES, X_SUC_DEFAULT, X_NRO_DESDE, X_NRO_HASTA, X_ULTIMO_NRO) VALUES ('DVPE', 1, 'Devolucion de Prestamo', 'X', NULL, 0, 'NO', 'Stock', 1, 'D', 'E', 1, 1, 99999999, 3);

INSERT INTO TA_CONFIGURACION (Clave, Grupo, Valor, valoraux, PoliticaNegocio) VALUES ('PIDEDEPOSITOENCPTES', 'DATOS', 'NO', '', 0);
INSERT INTO TA_CONFIGURACION (Clave, Grupo, Valor, valoraux, PoliticaNegocio) VALUES ('NOMOSTRARIMPORTESENOT', 'DATOS', 'SI', '', 0);
INSERT INTO TA_CONFIGURACION (Clave, Grupo, Valor, valoraux, PoliticaNegocio) VALUES ('V_LISTAPRECIOSPORITEMARTICULOS', 'DATOS', 'NO', '', 0);
INSERT INTO TA_CONFIGURACION (Clave, Grupo, Valor, valoraux, PoliticaNegocio) VALUES ('CONFIRMAUDEQUIV', 'DATOS', 'NO', '', 0);
INSERT INTO TA_CONFIGURACION (Clave, Grupo, Valor, valoraux, PoliticaNegocio) VALUES ('V_DESCUENTOPORARTICULOS', 'DATOS', 'NO', '', 0);
INSERT INTO TA_CONFIGURACION (Clave, Grupo, Valor, valoraux, PoliticaNegocio) VALUES ('COMPRASDESCUENTOPORARTICULO', 'DATOS', 'NO', '', 0);
INSERT INTO TA_CONFIGURACION (Clave, Grupo, Valor, valoraux, PoliticaNegocio) VALUES ('TRANSPORTECOMBUSTIBLES', 'DATOS', 'NO', '', 0);

-- Lines per printed form: FC A 20; FC B has two rows, the first by ID (12)
-- counts; FP A no limit.
INSERT INTO TA_CONFIG_IMP_CPTE (ID, TC, LETRA, CANTLINEAS) VALUES (501, 'FC  ', 'A', 20);
INSERT INTO TA_CONFIG_IMP_CPTE (ID, TC, LETRA, CANTLINEAS) VALUES (503, 'FC  ', 'B', 30);
INSERT INTO TA_CONFIG_IMP_CPTE (ID, TC, LETRA, CANTLINEAS) VALUES (502, 'FC  ', 'B', 12);
INSERT INTO TA_CONFIG_IMP_CPTE (ID, TC, LETRA, CANTLINEAS) VALUES (504, 'FP  ', 'A', 0);

-- Descriptions of the totals grid's groups by rubro and by article type.
INSERT INTO V_TA_RUBROS (IdRubro, Descripcion) VALUES ('FERR', 'Ferreteria');
INSERT INTO V_TA_RUBROS (IdRubro, Descripcion) VALUES ('PINT', 'Pinturas');
INSERT INTO V_TA_TipoArticulo (IdTipo, Tipo, Descripcion) VALUES ('GMP ', 'MP  ', 'Materia Prima');
INSERT INTO V_TA_TipoArticulo (IdTipo, Tipo, Descripcion) VALUES ('GPT ', 'PT  ', 'Producto Terminado');
