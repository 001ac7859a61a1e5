#pragma once
// The modeless window shown while a lost connection is being retried in
// batches: a message, a progress bar, "Reintentar" (start a new batch now) and
// "Cerrar Sistema" (give up and end the program).
#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

class frmReconectar : public QWidget {
    Q_OBJECT
public:
    explicit frmReconectar(QWidget* parent = nullptr);

    // The one window, created on first use and dropped by Unload.
    static frmReconectar& Default();
    static bool Loaded();
    static void Unload();

    QLabel* lblMensaje = nullptr;
    QProgressBar* prgIntentos = nullptr;
    QPushButton* CmdReintentar = nullptr;
    QPushButton* cmdCancelar = nullptr;

    bool Cancelar = false;
    bool Reintentar = false;

    void CmdReintentar_Click() { Reintentar = true; }
    void cmdCancelar_Click() { Cancelar = true; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Form_Load();
    void AjustaAFuente();
};
