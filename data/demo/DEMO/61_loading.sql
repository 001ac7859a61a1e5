-- Demo database DEMO: an order of Ferreteria El Tornillo ready to become an
-- invoice (two article lines, a task and a freight charge booked to the
-- sales account), and the real charges applied to that customer.
INSERT INTO V_MV_CPTE (TC, IDCOMPROBANTE, IDCOMPLEMENTO, FECHA, CUENTA, Nombre, CondicionIva, IdMoneda, Cotizacion, Importe, ANULADA, IdReparto, EnComodato) VALUES ('NP  ', '000300000950A', 0, '2026-12-01 00:00:00', 'C0001', 'Ferreteria El Tornillo', '1', '   1', 1, 2722.5, 0, 0, 0);
INSERT INTO V_MV_CPTEINSUMOS (TC, IDCOMPROBANTE, IDCOMPLEMENTO, CUENTA, Secuencia, IdArticulo, Descripcion, Cantidad, IdUnidad, IdUnidadBase, CantidadUD, Importe, Importe_S_IVA, Total, AlicIVA, Exento, PorcDto, Costo, CANTIDADAFACTURAR) VALUES ('NP  ', '000300000950A', 0, 'C0001', 1, '                     1001', 'Tornillo 6x40 (caja x 100)', 10, 'UN  ', 'UN  ', 10, 254.1, 210, 2541, 21, 0, 0, 120, 10);
INSERT INTO V_MV_CPTEINSUMOS (TC, IDCOMPROBANTE, IDCOMPLEMENTO, CUENTA, Secuencia, IdArticulo, Descripcion, Cantidad, IdUnidad, IdUnidadBase, CantidadUD, Importe, Importe_S_IVA, Total, AlicIVA, Exento, PorcDto, Costo, CANTIDADAFACTURAR) VALUES ('NP  ', '000300000950A', 0, 'C0001', 2, '                     1002', 'Taco fischer 8 mm', 5, 'UN  ', 'UN  ', 5, 72.6, 60, 363, 21, 0, 0, 35.5, 5);
INSERT INTO V_MV_CPTETAREAS (TC, IDCOMPROBANTE, IDCOMPLEMENTO, CUENTA, IDTAREA, Descripcion, Horas, ValorHora, valorHora_S_Iva, Total, Prioridad) VALUES ('NP  ', '000300000950A', 0, 'C0001', '   1', 'Instalacion', 60, 2500, 2066.12, 2500, 1);
INSERT INTO V_MV_CPTE_OBSERV (TC, IDCOMPROBANTE, IDCOMPLEMENTO, CUENTA, TIPO_OBS, Observacion, Importe, Importe_S_IVA) VALUES ('NP  ', '000300000950A', 0, 'C0001', 'OC', '4.1.01 Flete a obra', 121, 100);
INSERT INTO V_MV_CargosAplicados (CUENTA, SALDO) VALUES ('C0001', 1500);
INSERT INTO V_MV_CargosAplicados (CUENTA, SALDO) VALUES ('C0001', -250);
