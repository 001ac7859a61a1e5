// DB_Dll: keeping the connection usable. A lost connection is reopened
// silently when possible; otherwise the operator chooses between retrying
// (the reconnect window, in batches) and ending the program.
#include "db/db_dll.h"

#include "db/db_texto.h"
#include "db/frmreconectar.h"
#include "db/modglobal_db.h"
#include "platform/kapores2/funciones.h"
#include "platform/ui/dialogs.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

using namespace db_texto;
using legacy::VbError;

bool DB_Dll::AsegurarConexion()
{
    bool resultado = false;
    auto manejador = [&](const VbError& e, const QString& rutina) -> int {
        switch (ManejaErrorConexion(e.Number, intentosAsegurarConexion_, rutina)) {
        case 0:
            return kapores2::Funciones::MuestraError(e, std::nullopt, QStringLiteral("AsegurarConexion"));
        case 1:
            return 4;
        case 2:
            throw legacy::ProgramEnd(0);
        default:
            return 0;
        }
    };
    legacy::ErrorTrap trap(QStringLiteral("AsegurarConexion"), manejador);
    trap([&] {
        if (!gCnn)
            gCnn = std::make_shared<ado::Connection>();
    });
    trap([&] {
        if (gCnn->State() != ado::adStateOpen)
            gCnn->Open(gConnString, QString(), QString(), -1);
    });
    trap([&] {
        gOpenFlag = gCnn->State() == ado::adStateOpen;
        resultado = gOpenFlag;
    });
    return resultado;
}

bool DB_Dll::ReintentaConectar()
{
    gOpenFlag = false;
    try {
        QString texto;
        // The isolation level is a property of the connection object and
        // outlives its closing; the command time-out becomes 10 seconds.
        int aislamiento = -1;
        if (gCnn) {
            texto = gConnString;
            aislamiento = gCnn->IsolationLevel();
            try {
                if (gCnn->State() != ado::adStateClosed)
                    gCnn->Close();
            } catch (const VbError&) {
            }
        }
        if (texto.isEmpty()) {
            if (!gCnn)
                return false;
            texto = gCnn->ConnectionString();
        }
        if (!texto.isEmpty()) {
            if (!gCnn)
                gCnn = std::make_shared<ado::Connection>();
            if (!Contiene(texto, QStringLiteral("Connect Timeout=")))
                texto += QStringLiteral(";Connect Timeout=5");
            gCnn->setConnectionTimeout(5);
            gCnn->setCommandTimeout(10);
            gCnn->Open(texto, QString(), QString(), -1);
            if (aislamiento >= 0 && gCnn->IsolationLevel() != aislamiento)
                gCnn->setIsolationLevel(aislamiento);
            gOpenFlag = gCnn->State() == ado::adStateOpen;
        }
        return gOpenFlag;
    } catch (const VbError&) {
        gOpenFlag = false;
        return false;
    }
}

long DB_Dll::ManejaErrorConexion(long NroError, int& Intentos, const QString& Rutina)
{
    if (NroError != ado::adErrObjectClosed && NroError != ado::adErrInvalidConnection &&
        NroError != ado::kErrProvider)
        return 0;

    if (Intentos < 2) {
        ++Intentos;
        if (ReintentaConectar()) {
            Intentos = 0;
            return 1;
        }
    }
    // One question at a time: a database call made while it is on screen
    // reports its error through the ordinary dialog.
    if (preguntando_)
        return 0;
    preguntando_ = true;
    int respuesta = ui::vbNo;
    try {
        respuesta = ui::MsgBox(QStringLiteral("SE PERDIÓ LA CONEXION CON EL SERVIDOR. (") + ModGlobal::gDB().gServidor +
                                   QStringLiteral(") ") + CRLF + CRLF +
                                   QStringLiteral("¿Querés que intentemos reconectar (Sí) ") + CRLF +
                                   QStringLiteral("o cerrar la aplicación (No)?"),
                               ui::vbYesNo + ui::vbCritical, QStringLiteral("Conexión a la base de datos"));
    } catch (...) {
        preguntando_ = false;
        throw;
    }
    preguntando_ = false;
    if (respuesta != ui::vbYes)
        return 2;
    if (EsperaReconexion(10, Rutina)) {
        Intentos = 0;
        return 1;
    }
    return 2;
}

bool DB_Dll::EsperaReconexion(int Intentos, const QString& Mensaje)
{
    bool volvio = false;
    try {
        frmReconectar& ventana = frmReconectar::Default();
        for (;;) {
            ventana.Cancelar = false;
            ventana.Reintentar = false;
            ventana.lblMensaje->setText(
                ui::normalizeLineEnds(Mensaje + CRLF + QStringLiteral("Intentando reconectar con el servidor...")));
            ventana.prgIntentos->setValue(0);
            ventana.repaint();
            ventana.show();
            ventana.repaint();
            ui::DoEvents();

            for (int i = 1; i <= Intentos; ++i) {
                if (ventana.Cancelar || ventana.Reintentar)
                    break;
                ventana.prgIntentos->setValue(int(i * 100 / Intentos));
                // The retry button only serves on the last try of a batch.
                ventana.CmdReintentar->setEnabled(i == Intentos);
                ui::DoEvents();
                if (ReintentaConectar()) {
                    volvio = true;
                    break;
                }
                ui::Sleep(500);
                ui::DoEvents();
            }
            if (volvio)
                break;
            if (ventana.Cancelar)
                break;
            if (gCnn && gCnn->State() == ado::adStateOpen) {
                volvio = true;
                break;
            }
            ventana.prgIntentos->setValue(0);
            Intentos = 10;
        }
    } catch (const VbError&) {
    }
    frmReconectar::Unload();
    return volvio;
}
