-- Demo database DEMO: users, menu tasks.
-- Keys are written as the server's CHAR columns keep them: digit-only codes
-- right-aligned behind blanks ("   1"), other codes left-aligned ("FP  ").

-- The user named like the database logs in with any password; the others
-- are checked against PassWord, kept in the stored form of the password
-- encoding (DEMO/DEMO, SUPERVISOR/SUPER, OPERADOR/CLAVE1, CONTADOR/CONTA;
-- CONTADOR belongs to another system and cannot log in here).
INSERT INTO TA_USUARIOS (NOMBRE, SISTEMA, PassWord, Administrador, UNegocio, verproforma, clasepusa) VALUES ('DEMO', 'qm410tx', 'K79FF591A4C2A', 1, '   1', NULL, '');
INSERT INTO TA_USUARIOS (NOMBRE, SISTEMA, PassWord, Administrador, UNegocio, verproforma, clasepusa) VALUES ('SUPERVISOR', 'KAPO', 'K62F83F0A894E95', 1, '   1', NULL, '');
INSERT INTO TA_USUARIOS (NOMBRE, SISTEMA, PassWord, Administrador, UNegocio, verproforma, clasepusa) VALUES ('OPERADOR', 'qm410tx', 'K7201572F97576AA3', 0, '   1', NULL, '');
INSERT INTO TA_USUARIOS (NOMBRE, SISTEMA, PassWord, Administrador, UNegocio, verproforma, clasepusa) VALUES ('CONTADOR', 'TORLEX', 'K72FE57319DEC7B', 0, '   1', NULL, '');

INSERT INTO TA_MENU (Clave, Proceso, Nombre) VALUES ('ANUFIS', 'vordane', 'ANULACION FISICA DE COMPROBANTES');
INSERT INTO TA_MENU (Clave, Proceso, Nombre) VALUES ('VENTAS', 'QUELMONTARI', 'Ventas');

INSERT INTO TA_TAREAS (USUARIO, TAREA) VALUES ('DEMO', 'ANUFIS');
INSERT INTO TA_TAREAS (USUARIO, TAREA) VALUES ('OPERADOR', 'ANUFIS');
INSERT INTO TA_TAREAS (USUARIO, TAREA) VALUES ('OPERADOR', 'VENTAS');
