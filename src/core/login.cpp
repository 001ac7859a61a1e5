#include "core/login.h"

#include "core/formato.h"
#include "core/modglobal.h"
#include "core/scripts.h"
#include "core/sqlbuilder.h"
#include "db/db_dll.h"
#include "db/db_texto.h"
#include "db/modglobal_db.h"
#include "platform/ado/recordset.h"
#include "platform/kapores2/equipo.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/errortrap.h"
#include "platform/legacy/format.h"
#include "platform/legacy/program.h"
#include "platform/legacy/strings.h"
#include "platform/legacy/variant.h"

#include <memory>

using db_texto::Iguales;
using kapores2::Funciones;
using legacy::Trim;
using legacy::UCase;

namespace ModGlobal {

bool ValidaUsuario(const QString& Usuario, const QString& PassWord)
{
    DB_Dll& db = gDB();
    if (Iguales(Usuario, db.gDBName)) {
        gUsuarioLogeado = Usuario;
        return true;
    }

    const QString sistemas = Iguales(legacy::App().exeName, QStringLiteral("TORLEX"))
                                 ? QStringLiteral("'TORLEX'")
                                 : QStringLiteral("'qm410tx','KAPO'");
    const QString sql = QStringLiteral("SELECT * FROM TA_USUARIOS with(nolock) WHERE NOMBRE = '") +
                        DuplicaApostrofes(Trim(Usuario)) + QStringLiteral("' AND SISTEMA IN (") + sistemas +
                        QStringLiteral(")");
    std::shared_ptr<ado::Recordset> rs;
    db.AbrirRecordset(sql, rs, nullptr, ado::adOpenForwardOnly, ado::adLockReadOnly, -1, true);
    if (!rs || rs->Eof()) {
        db.CierraRecordset(rs);
        return false;
    }

    const QString guardada = Funciones::ValorNoNulo(rs->Fields("PassWord")).toString();
    const bool coincide = Iguales(Funciones::DecodificaClave(guardada), PassWord);
    // Only a matching password logs the user in: a failed attempt with an
    // administrator's name must neither take that name nor its rights.
    if (coincide) {
        gUsuarioLogeado = Usuario;
        db.gEsAdmin = Funciones::ValorNoNulo(rs->Fields("Administrador")).toBool();
    }
    db.CierraRecordset(rs);
    return coincide;
}

namespace {

enum class Plegado { Normal, SinTarea, NoRegistra };

// The suite's programs that record their start under another program's name.
Plegado PliegaNombre(QString& formulario)
{
    struct Regla {
        QStringList nombres;
        const char* como;
    };
    static const Regla reglas[] = {
        {{"PELDAR_TRUMOSA", "PELDAR_TRUMOSAh", "QUELMONTARIZOBE", "QUELMONTARIZOB"}, "QUELMONTARI"},
        {{"QUELMONTARIZOBEFU"}, "QUELMONTARIZOBE"},
        {{"PELDAR_SIVOTERNH"}, "PELDAR_SIVOTERN"},
        {{"GRISALDO_PENTURIVACA2"}, "GRISALDO_PENTURIVACA"},
        {{"GRISALDO_MOFERANTISO2"}, "GRISALDO_MOFERANTISO"},
        {{"TALVERONDIKA2"}, "V_MA_PRECIOS"},
        {{"BOSPEL_MURANTE2"}, "V_MA_ARTICULOS"},
        {{"ZANFEROCOH"}, "ZANFEROCO"},
        {{"KOLBRIDAS"}, "Fernalquitopo"},
    };
    static const QStringList sinTarea = {"ZANFEROCO",      "Mirtelo_Zanfer", "Mirtelo_Zanferh",
                                         "SOBRAPENDULANQIS", "Lomberato_Piz", "RUVINTOSALPE",
                                         "DRAMOL_VESTRAPIL", "Garfunio_Telbasquio", "QUIRSO",
                                         "SALTIMBORENQUEDACOLIVA"};
    for (const Regla& r : reglas) {
        if (r.nombres.contains(formulario, Qt::CaseInsensitive)) {
            formulario = QString::fromLatin1(r.como);
            return Plegado::Normal;
        }
    }
    if (sinTarea.contains(formulario, Qt::CaseInsensitive))
        return Plegado::SinTarea;
    if (Iguales(formulario, QStringLiteral("Piruleman")))
        return Plegado::NoRegistra;
    return Plegado::Normal;
}

}  // namespace

void RegistraControlAcceso(const QString& sFormulario)
{
    legacy::ErrorTrap trap = legacy::ErrorTrap::ResumeNext(QStringLiteral("RegistraControlAcceso"));
    DB_Dll& db = gDB();
    const QString programa = legacy::App().exeName;

    QString formulario = sFormulario.isEmpty() ? programa : sFormulario;
    trap([&] {
        if (gUsuarioLogeado.isEmpty())
            gUsuarioLogeado = db.gUsuario;
    });

    const Plegado plegado = PliegaNombre(formulario);
    if (plegado == Plegado::NoRegistra)
        return;

    QString tarea;
    if (plegado == Plegado::Normal) {
        std::shared_ptr<ado::Recordset> rs;
        bool conFila = false;
        trap([&] {
            const QString sql =
                QStringLiteral("SELECT TA_TAREAS.USUARIO, TA_MENU.Proceso, TA_MENU.Clave , TA_MENU.Nombre ") +
                QStringLiteral(" FROM TA_TAREAS  with(nolock) INNER JOIN TA_MENU ON TA_TAREAS.TAREA = TA_MENU.Clave ") +
                QStringLiteral(" WHERE (TA_TAREAS.USUARIO = '") + DuplicaApostrofes(gUsuarioLogeado) +
                QStringLiteral(" ') AND (TA_MENU.Proceso LIKE '%") + DuplicaApostrofes(formulario) +
                QStringLiteral("%')");
            db.AbrirRecordset(sql, rs);
        });
        trap([&] { conFila = rs && !rs->Eof(); });
        trap([&] {
            if (conFila)
                tarea = Funciones::ValorNoNulo(rs->Fields("nombre")).toString();
            else if (Iguales(db.gUsuario, db.gDBName) || Iguales(db.gUsuario, QStringLiteral("SUPERVISOR BRINDEL RZ")))
                tarea = programa;
        });
        trap([&] { db.CierraRecordset(rs); });
    }

    // The suite's main program keeps its own record.
    if (Iguales(programa, QStringLiteral("QM410TX")))
        return;

    QStringList sentencias;
    trap([&] {
        QString maquina = UCase(Trim(kapores2::Equipo::NombrePC()));
        AgregaCampo(QStringLiteral("Maquina"), maquina, QStringLiteral("'"), true);
    });
    trap([&] {
        QString usuario = UCase(Trim(gUsuarioLogeado));
        AgregaCampo(QStringLiteral("Usuario"), usuario, QStringLiteral("'"), false);
    });
    trap([&] {
        QString valor = UCase(Trim(formulario));
        AgregaCampo(QStringLiteral("Formulario"), valor, QStringLiteral("'"), false);
    });
    trap([&] {
        QString valor = UCase(Trim(tarea));
        AgregaCampo(QStringLiteral("Tarea"), valor, QStringLiteral("'"), false);
    });
    trap([&] {
        QString ingreso = legacy::Format(legacy::Variant(legacy::Now()),
                                         FormatoFecha() + QStringLiteral(" ") + FormatoHora());
        AgregaCampo(QStringLiteral("Ingreso"), ingreso, QStringLiteral("'"), false);
    });
    // The field builder takes the apostrophes out of the logged-in user
    // itself, as the suite's other programs do.
    trap([&] { AgregaCampo(QStringLiteral("NombreUsuario"), gUsuarioLogeado, QStringLiteral("'"), false); });
    trap([&] {
        const QList<CampoValor> campos = gListaCampos;
        ArmaSentenciaSQL(campos, sentencias, QStringLiteral("Control_Acceso"));
    });
    trap([&] {
        bool hayError = false;
        long nroError = 0;
        QString sentencia, error;
        GActualizarDatoScript(sentencias, hayError, nroError, false, false, sentencia, error, true);
    });
}

}  // namespace ModGlobal
