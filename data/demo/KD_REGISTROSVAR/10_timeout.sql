-- Statistics database KD_REGISTROSVAR, opened at start-up on the same
-- server as the main database: the command time-out in seconds, in group
-- "BaseDeDatos" (a missing or zero value means 45).
INSERT INTO TA_CONFIGURACION (Clave, Grupo, Valor, valoraux, PoliticaNegocio)
VALUES ('TIMEOUT', 'BaseDeDatos', '30', '', 0);
