#pragma once
// The parameter string by which a program of the suite is told where and as
// whom to work: "; @server=X; @dbname=D; @usuario=U; @Password=P;
// @ParametroAdicional=A; @UsuarioLogeado = L; @Caja=1;" (pieces separated by
// ";", keys without regard to letter case, "=" removed from values).
#include <QString>

namespace ModGlobal {

// The values read from a parameter string. Fields start with the values the
// reader is given (the start-up passes the current login values), so a key
// that fails keeps what was there.
struct ParametrosConexion {
    QString ParametroAdicional;
    QString Menu;
    QString Servidor;
    QString DbName;
    QString Usuario;
    QString UsuarioLogeado;
    QString Password;
    QString PasswordTexto;  // the @Password value as written (before the "* *" rule)
    QString Caja;
    // Keys that were present but had no closing ";" (run-time error 5 each).
    int erroresSinCierre = 0;
};

// The value of one key: the text after the key's first occurrence (letter
// case ignored; "@Usuario" is also found inside "@UsuarioLogeado") up to the
// next ";", without "=" and trimmed; `siFalta` when the key is absent. No ";"
// after the key: for "@ParametroAdicional" the 19 characters after it, for
// any other key run-time error 5.
QString ValorParametro(const QString& linea, const QString& clave, const QString& siFalta = {});

// Reads the eight keys in the start-up's order (@ParametroAdicional, @Menu,
// @Server, @DbName, @Usuario, @UsuarioLogeado, @Password, @Caja) into a copy
// of `previos`: an absent @UsuarioLogeado (or an empty one) takes the trimmed
// @Usuario, an absent @Password keeps the previous password, a password equal
// to @DbName becomes "* *", an absent @Caja gives "1". A key without its ";"
// keeps the previous value and counts in erroresSinCierre.
ParametrosConexion LeeParametrosConexion(const QString& linea, const ParametrosConexion& previos = {});

// The password marker meaning "look the password up in TA_USUARIOS".
inline const QString kPasswordDeTabla = QStringLiteral("* *");

// The values of a start from the configuration file, as the parameter
// string would give them (no additional parameter, cash desk "1", the
// logged-in user the trimmed user, a password equal to the database name
// "* *") but without passing through its text: a password holding ";" or
// "=" or outer blanks arrives whole.
ParametrosConexion ParametrosDeValores(const QString& servidor, const QString& base, const QString& usuario,
                                       const QString& clave);

}  // namespace ModGlobal
