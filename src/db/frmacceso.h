#pragma once
// The access window "Control de Acceso": the operator chooses a registered
// connection (BASES.TXT) or types one, with the user and password. The
// start-up shows it as its login dialog and DB_Dll::OpenServerADODB when it
// must ask for connection data. It stays loaded and is hidden when it closes.
//
// Callers set the four boxes and CboPlataformaDB, show it with ui::ShowModal,
// then read Aceptar and the boxes. An empty box shows its hint as its text;
// a box left with its hint passes the hint on.
#include "platform/legacy/errortrap.h"
#include "platform/legacy/variant.h"

#include <QDialog>
#include <QString>

#include <functional>

class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

class frmAcceso : public QDialog {
    Q_OBJECT
public:
    explicit frmAcceso(QWidget* parent = nullptr);

    // The one window of the program, created and loaded (Form_Load) on first
    // use; it stays loaded and is hidden when it closes.
    static frmAcceso& Default();
    // For tests: drops the window (the next use creates it anew).
    static void Unload();

    // The styling of the common services (ModGlobal::AplicaEstiloFormulario)
    // and their error box (ModGlobal::TratamientoErrores), which live in a
    // module above this one and put themselves in here. Without them the
    // window is not styled and errors go to the main database object's box.
    static void setAplicaEstilo(std::function<void(QWidget*, bool)> aplica);
    static void setManejadorErrores(legacy::ErrorHandler manejador);

    // --- controls ----------------------------------------------------------
    QLabel* Label1[3] = {};                 // "AUTENTICACION", "Control de Acceso", "Conexiones registradas"
    QLabel* Label7 = nullptr;               // product family
    QLabel* Label8 = nullptr;               // web address (click opens it)
    QListWidget* lstBases = nullptr;        // registered connection names
    QLabel* Label6 = nullptr;
    QComboBox* CboPlataformaDB = nullptr;   // "SQL Server" (0), "ORACLE" (1)
    QLabel* Label5 = nullptr;
    QLineEdit* TxtServidor = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* TxtDbName = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* TxtUserId = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* TxtUserPassword = nullptr;
    QLineEdit* TxtPuerto = nullptr;         // "1433" at first
    QPushButton* bcAceptar = nullptr;       // "Conectar"
    QPushButton* bcCancelar = nullptr;      // "Cancelar"
    QPushButton* CmdRegistrar = nullptr;    // "Registrar"
    QPushButton* CmdLineaComando = nullptr; // "Crear Acceso Directo"
    QGroupBox* framAcceso = nullptr;
    QFrame* Line1 = nullptr;
    QObject* SkinFramework1 = nullptr;      // stands in for the skin control

    bool Aceptar = false;  // True after Conectar, False after Cancelar

    // --- procedures ----------------------------------------------------------
    void Form_Load();
    void RegistrarBases();
    void llenarlist();
    void DatosBase(const QString& nombre);
    void AsignarDatosBase();
    // An empty box (or one holding just its hint) gets its hint as text, in
    // the hint colour and selected.
    void MensajeInicial(QLineEdit* ObjTxt);
    // The hint of a box by its name ("" for none).
    static QString Sugerencia(const QString& nombreControl);

    void bcAceptar_Click();
    void bcCancelar_Click();
    void Label8_Click();

    // --- registration and desktop shortcut (frmacceso_registro.cpp) ---------
    // "Registrar": tests the typed connection on a database object of its
    // own (the main connection is left alone), appends it to BASES.TXT and
    // starts "ODBC.exe" from the program folder when it is there.
    void CmdRegistrar_Click();
    // "Crear Acceso Directo": a launcher "<title>.desktop" in the desktop
    // folder that starts this program with the typed server, database and
    // user as its parameter string.
    void CmdLineaComando_Click();
    // Test opening of a connection; true when it opened (it is closed again).
    bool ExisteBaseDeDatos(const QString& Servidor, const QString& Dbname, const QString& Usuario,
                           const QString& PassWord, const QString& Proveedor = {});
    // Runs a command line and waits for it, yielding to events.
    bool EjecutarCmdRegDB(const QString& Archivo, QString* ErrDevuelto = nullptr);
    // The user's desktop folder: the XDG desktop directory, else ~/Desktop.
    static QString CarpetaEscritorio();
    // The text of the launcher file.
    static QString ContenidoAccesoDirecto(const QString& nombre, const QString& programa, const QString& argumentos);

    // The connection last looked up by DatosBase.
    QString servidorBuscado() const { return servidor_; }
    QString baseBuscada() const { return base_; }
    QString usuarioBuscado() const { return usuario_; }
    QString claveBuscada() const { return clave_; }
    legacy::Variant puerto() const { return puerto_; }
    // The web address Label8 shows and opens.
    static QString DireccionWeb();

protected:
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void reject() override;

private:
    legacy::ErrorHandler manejador() const;
    // Centred on the screen.
    void Centra();
    // Fits the boxes and buttons to the font the window was given.
    void AjustaAFuente();

    QString rutaBases_;
    QString servidor_, base_, usuario_, clave_;
    legacy::Variant puerto_;
};
