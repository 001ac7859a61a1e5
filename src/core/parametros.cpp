#include "core/parametros.h"

#include "platform/legacy/strings.h"
#include "platform/legacy/vberror.h"

using namespace legacy;

namespace ModGlobal {

namespace {

const QString kParametroAdicional = QStringLiteral("@ParametroAdicional");

// Runs one key's read; a key without its closing ";" (error 5) leaves the
// value as it was, as the start-up goes on with its next statement.
template <class F>
void LeeClave(ParametrosConexion& p, F&& leer)
{
    try {
        leer();
    } catch (const VbError& e) {
        if (e.Number != 5)
            throw;
        ++p.erroresSinCierre;
    }
}

// The suite writes the database name as the password when the real one is
// to be taken from the user table. An empty password stays empty (also when
// the database name is empty).
void PonPassword(ParametrosConexion& p, const QString& valor)
{
    p.PasswordTexto = valor;
    if (!valor.isEmpty() && StrComp(valor, p.DbName, vbTextCompare) == 0)
        p.Password = kPasswordDeTabla;
    else
        p.Password = valor;
}

}  // namespace

QString ValorParametro(const QString& linea, const QString& clave, const QString& siFalta)
{
    const long p = InStr(linea, clave, vbTextCompare);
    if (p == 0)
        return siFalta;

    const long inicio = p + Len(clave);
    const long fin = InStr(p, linea, QStringLiteral(";"));
    QString valor;
    if (fin == 0) {
        // The additional parameter may close the text without its ";": the
        // reader then takes as many characters as the key is long.
        if (StrComp(clave, kParametroAdicional, vbTextCompare) != 0)
            throw VbError(5);
        valor = Mid(linea, inicio, Len(kParametroAdicional));
    } else {
        valor = Mid(linea, inicio, fin - inicio);
    }
    return Trim(Replace(valor, QStringLiteral("="), QString()));
}

ParametrosConexion LeeParametrosConexion(const QString& linea, const ParametrosConexion& previos)
{
    ParametrosConexion p = previos;
    p.erroresSinCierre = 0;
    p.Servidor.clear();
    p.DbName.clear();
    p.Usuario.clear();

    LeeClave(p, [&] { p.ParametroAdicional = ValorParametro(linea, kParametroAdicional); });
    LeeClave(p, [&] { p.Menu = ValorParametro(linea, QStringLiteral("@Menu")); });
    LeeClave(p, [&] { p.Servidor = ValorParametro(linea, QStringLiteral("@Server")); });
    LeeClave(p, [&] { p.DbName = ValorParametro(linea, QStringLiteral("@DbName")); });
    LeeClave(p, [&] { p.Usuario = ValorParametro(linea, QStringLiteral("@Usuario")); });
    LeeClave(p, [&] {
        p.UsuarioLogeado = ValorParametro(linea, QStringLiteral("@UsuarioLogeado"), Trim(p.Usuario));
    });
    if (Trim(p.UsuarioLogeado).isEmpty())
        p.UsuarioLogeado = Trim(p.Usuario);
    LeeClave(p, [&] {
        if (InStr(linea, QStringLiteral("@Password"), vbTextCompare) == 0)
            return;
        PonPassword(p, ValorParametro(linea, QStringLiteral("@Password")));
    });
    LeeClave(p, [&] { p.Caja = ValorParametro(linea, QStringLiteral("@Caja"), QStringLiteral("1")); });
    return p;
}

ParametrosConexion ParametrosDeValores(const QString& servidor, const QString& base, const QString& usuario,
                                       const QString& clave)
{
    ParametrosConexion p;
    p.Servidor = Trim(servidor);
    p.DbName = Trim(base);
    p.Usuario = Trim(usuario);
    p.UsuarioLogeado = p.Usuario;
    PonPassword(p, clave);
    p.Caja = QStringLiteral("1");
    return p;
}

}  // namespace ModGlobal
