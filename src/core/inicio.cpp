#include "core/inicio.h"

#include "core/acciones.h"
#include "core/cargaconfiguracion.h"
#include "core/configuracion.h"
#include "core/consultasvrk.h"
#include "core/dll_display.h"
#include "core/estilos.h"
#include "core/lib_clscons3.h"
#include "core/login.h"
#include "core/modglobal.h"
#include "core/parametros.h"
#include "core/sqlbuilder.h"
#include "db/db_dll.h"
#include "db/frmacceso.h"
#include "db/modglobal_db.h"
#include "platform/kapores2/aplicacion.h"
#include "platform/kapores2/archivoini.h"
#include "platform/kapores2/equipo.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/errortrap.h"
#include "platform/legacy/program.h"
#include "platform/legacy/strings.h"
#include "platform/legacy/variant.h"
#include "platform/ui/dialogs.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>

#include <optional>

using namespace legacy;
using kapores2::Funciones;

namespace ModGlobal {

namespace {

QString carpetaPrograma;
QString archivoAyuda;

const QString kArchivoIni = QStringLiteral("QM410tx.INI");
constexpr int kIntentosLogin = 3;

// The start-up's error trap: the sign closes first; a parameter without its
// closing ";" (error 5) lets the start-up go on, anything else ends the
// program without a message.
int ManejadorInicio(const VbError& e, const QString&)
{
    try {
        gCartel().CartelCerrar();
    } catch (...) {
    }
    return e.Number == 5 ? 5 : 3;
}

class Inicio {
public:
    Inicio(bool usaIni, const QString& lineaComando, QString& connString, long cursor)
        : usaIni_(usaIni), lineaComando_(lineaComando), connString_(connString), cursor_(cursor),
          trap_(QStringLiteral("IniciaAplicacion"), ManejadorInicio)
    {
    }

    void Ejecuta()
    {
        // The access window reaches the styling and the error box of this
        // module through what is put into it here.
        EnlazaVentanaAcceso();
        Paso([&] {
            gCartel().CartelInicio(QStringLiteral("Conectando Base de Datos"), 0);
            bool cancelado = false;
            gCartel().CartelMostrar(cancelado, Variant(QStringLiteral("Iniciando Aplicacion")),
                                    Variant(App().exeName), Variant(QStringLiteral("Espere por favor")));
        });
        Paso([&] { carpetaPrograma = Funciones::CompletaRuta(App().path); });
        Paso([&] { archivoAyuda = carpetaPrograma + QStringLiteral("htmlhelp/diduvezirod.chm"); });
        Paso([&] {
            CLetra = 0;
            CFondo = 0xFFFFFF;
        });
        Paso([&] { linea_ = !lineaComando_.isEmpty() ? lineaComando_ : Command(); });
        Paso([&] {
            if (usaIni_ && Trim(linea_).isEmpty())
                delIni_ = ParametrosDelIni();
        });
        Paso([&] {
            seccion_ = UCase(kapores2::Equipo::NombrePC()) + QStringLiteral("|") +
                       UCase(kapores2::Equipo::UsuarioWindows());
            if (Len(Trim(seccion_)) > 50)
                seccion_ = Left(seccion_, 50);
        });
        Paso([&] {
            gFlatToolbars = Val(kapores2::ArchivoIni::LeeIni(kArchivoIni, seccion_, QStringLiteral("FlatToolbars"),
                                                              QStringLiteral("1")));
        });

        if (!gDB().gOpenFlag) {
            LeeParametros();
            Conecta();
        }
        PreparaBase();
        BuscaPassword();
        Login();

        Paso([&] { RegistraControlAcceso(QString()); });
        Paso([&] { gCartel().CartelCerrar(); });
    }

private:
    // One statement of the start-up under its error trap.
    template <class F>
    void Paso(F&& f)
    {
        trap_(std::forward<F>(f));
        if (trap_.left())
            throw ProgramEnd(0);
    }

    // The values of the machine's section of the configuration file, for a
    // start without a parameter string. They reach the start-up as read, not
    // through a parameter text, which would cut a password at its ";" and
    // drop its "=".
    ParametrosConexion ParametrosDelIni()
    {
        const QString seccion = UCase(kapores2::Equipo::NombrePC()) + QStringLiteral("|") +
                                UCase(kapores2::Equipo::UsuarioWindows()) + QStringLiteral("BaseDeDatos");
        auto lee = [&](const QString& clave, const QString& defecto) {
            return Funciones::QuitaCaracteres(kapores2::ArchivoIni::LeeIni(kArchivoIni, seccion, clave, defecto),
                                              QStringLiteral("|"));
        };
        const QString servidor = lee(QStringLiteral("Servidor"), QString());
        const QString base = lee(QStringLiteral("DbName"), QString());
        const QString usuario = Funciones::QuitaCaracteres(
            Funciones::DecodificaClave(kapores2::ArchivoIni::LeeIni(
                kArchivoIni, seccion, QStringLiteral("Usuario"), Funciones::CodificaClave(QStringLiteral("Brindel")))),
            QStringLiteral("|"));
        const QString clave = Funciones::QuitaCaracteres(
            Funciones::DecodificaClave(kapores2::ArchivoIni::LeeIni(kArchivoIni, seccion,
                                                                     QStringLiteral("UserPassWord"),
                                                                     Funciones::CodificaClave(QStringLiteral("trovesa")))),
            QStringLiteral("|"));
        return ParametrosDeValores(servidor, base, usuario, clave);
    }

    void LeeParametros()
    {
        Paso([&] {
            ParametrosConexion previos;
            previos.ParametroAdicional = gParametroAdicional;
            previos.Menu = gMenu;
            previos.UsuarioLogeado = gUsuarioLogeado;
            previos.Password = gPassword;
            previos.Caja = gCaja;
            const ParametrosConexion p = delIni_ ? *delIni_ : LeeParametrosConexion(linea_, previos);
            // A key without its ";" went through the start-up's error path,
            // which closes the sign.
            if (p.erroresSinCierre > 0)
                ManejadorInicio(VbError(5), QString());
            gParametroAdicional = p.ParametroAdicional;
            gMenu = p.Menu;
            servidor_ = p.Servidor;
            base_ = p.DbName;
            usuario_ = p.Usuario;
            gUsuarioLogeado = p.UsuarioLogeado;
            gPassword = p.Password;
            gCaja = p.Caja;
            if (!Trim(servidor_).isEmpty() && Trim(servidor_).startsWith(u'#')) {
                servidor_ = Replace(servidor_, QStringLiteral("#"), QString());
                if (connString_.isEmpty())
                    connString_ = QStringLiteral("Provider=OraOLEDB.Oracle.1;Data Source=") + base_ +
                                  QStringLiteral(";User Id=") + usuario_ + QStringLiteral(";Password=") +
                                  p.PasswordTexto + QStringLiteral(";");
            }
        });
    }

    // Connection properties, opening, time-out and connection tuning.
    void Conecta()
    {
        Paso([&] {
            DB_Dll& db = gDB();
            // The suite's SQL login and password are the database's name.
            db.gUsuario = base_;
            db.gDBName = base_;
            db.gUserPassWord = base_;
            db.gServidor = ExtraeServidor(servidor_);
        });
        Paso([&] {
            const bool pide = Trim(servidor_).isEmpty() || Trim(usuario_).isEmpty();
            gDB().OpenServerADODB(pide, int(cursor_), connString_, true, true);
        });
        if (!gDB().gOpenFlag)
            throw ProgramEnd(0);
        Paso([&] { LeeTimeOut(); });
        Paso([&] {
            gDB().gCnn->setCommandTimeout(gTimeOut);
            gDB().gCnn->setIsolationLevel(256);  // read uncommitted
        });
    }

    // Lookup entry, definitions file and configuration.
    void PreparaBase()
    {
        if (!gDB().gDBName.isEmpty()) {
            Paso([&] { kapores2::Aplicacion::RegistraAplicacion(carpetaPrograma); });
            Paso([&] { gDB().gCnn->setDefaultDatabase(gDB().gDBName); });
            Paso([&] {
                Lib_ClsCons3& consulta = gConsulta();
                consulta.gConnString = gDB().gConnString;
                consulta.gUsarMascarasConsultas = true;
                consulta.gRutaMascaraConsultas = carpetaPrograma + QStringLiteral("consultas.vrk");
            });
            Paso([&] {
                // Present means it exists; Linux files carry no archive mark.
                if (!QFileInfo::exists(gConsulta().gRutaMascaraConsultas))
                    GrabaConsultasDefault();
            });
            Paso([&] { gDB().gCnn->setDefaultDatabase(gDB().gDBName); });
            Paso([&] { CargaConfiguracion(carpetaPrograma); });
        }
    }

    // "* *" asks for the password stored in the user's row.
    void BuscaPassword()
    {
        if (gPassword != kPasswordDeTabla)
            return;
        Paso([&] {
            std::shared_ptr<ado::Recordset> rs;
            const QString sql = QStringLiteral("Select * from ta_usuarios  with(nolock)  where Nombre = '") +
                                DuplicaApostrofes(gUsuarioLogeado) + QStringLiteral("'");
            gDB().AbrirRecordset(sql, rs, nullptr, 0, 1, -1, true);
            if (rs && !rs->Eof())
                gPassword = Funciones::DecodificaClave(
                    Funciones::ValorNoNulo(rs->Fields("PassWord").Value()).toString());
            gDB().CierraRecordset(rs);
        });
    }

    bool Valida()
    {
        bool ok = false;
        Paso([&] { ok = ValidaUsuario(gUsuarioLogeado, gPassword); });
        return ok;
    }

    void MensajeClaveIncorrecta()
    {
        Paso([&] {
            ui::MsgBox(QStringLiteral("El usuario o clave en la base de datos es incorrecto!\r\nIntentelo nuevamente"),
                       ui::vbCritical, QStringLiteral("Atencion!"));
        });
    }

    void Login()
    {
        if (Valida())
            return;
        MensajeClaveIncorrecta();

        // Three attempts in the window in all: changing the database or the
        // server there does not give the operator a fresh count.
        int intentos = 0;
        while (true) {
            if (intentos >= kIntentosLogin) {
                Paso([&] {
                    ui::MsgBox(QStringLiteral("Demasiados intentos para iniciar sesión!\r\n"
                                              "Comuniquese con el administrador de sistemas"),
                               ui::vbCritical, QStringLiteral("Atencion!"));
                });
                throw ProgramEnd(0);
            }
            ++intentos;

            frmAcceso* ventana = nullptr;
            Paso([&] {
                ventana = &frmAcceso::Default();
                ventana->TxtDbName->setText(gDB().gDBName);
                ventana->TxtServidor->setText(gDB().gServidor);
                ventana->TxtUserId->setText(gUsuarioLogeado);
                ventana->TxtUserPassword->setText(gPassword);
                ventana->CboPlataformaDB->setCurrentIndex(0);
                ventana->Aceptar = false;
                ui::ShowModal(ventana);
            });
            if (!ventana->Aceptar)
                throw ProgramEnd(0);

            if (Valida()) {
                const QString base = ventana->TxtDbName->text();
                const QString servidor = ventana->TxtServidor->text();
                if (StrComp(base, gDB().gDBName, vbTextCompare) == 0 &&
                    StrComp(servidor, gDB().gServidor, vbTextCompare) == 0)
                    return;
                // Another database or server: connect there and check again.
                base_ = base;
                servidor_ = servidor;
                Conecta();
                PreparaBase();
                BuscaPassword();
                if (Valida())
                    return;
                MensajeClaveIncorrecta();
                continue;
            }

            Paso([&] {
                ui::MsgBox(QStringLiteral("Usuario o Clave incorrecta"), ui::vbInformation, QStringLiteral("Atencion"));
            });
            Paso([&] {
                RegistraAccionComprobante(QString(), QString(), QStringLiteral("0"), true, false, false,
                                          QStringLiteral("Intento de inicio de sesion fallido"), QString(), false);
            });
        }
    }

    bool usaIni_;
    QString lineaComando_;
    QString& connString_;
    long cursor_;
    ErrorTrap trap_;
    QString linea_;
    std::optional<ParametrosConexion> delIni_;
    QString seccion_;
    QString servidor_;
    QString base_;
    QString usuario_;
};

}  // namespace

void IniciaAplicacion(bool bUsaIni, const QString& sLineaComando, QString& sConnString, long lCursor)
{
    Inicio(bUsaIni, sLineaComando, sConnString, lCursor).Ejecuta();
}

void IniciaAplicacion(bool bUsaIni, const QString& sLineaComando, long lCursor)
{
    QString connString;
    IniciaAplicacion(bUsaIni, sLineaComando, connString, lCursor);
}

QString ExtraeServidor(const QString& sServidor)
{
    QString s = sServidor;
    const long barra = InStr(s, QStringLiteral("/"));
    if (barra > 0)
        s = Mid(s, barra + 1);
    const long dosPuntos = InStr(s, QStringLiteral(":"));
    if (dosPuntos > 0)
        s = Left(s, dosPuntos - 1);
    return s;
}

QString CarpetaPrograma()
{
    return carpetaPrograma;
}

QString ArchivoAyuda()
{
    return archivoAyuda;
}

}  // namespace ModGlobal
