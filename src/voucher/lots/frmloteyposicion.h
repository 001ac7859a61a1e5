#pragma once
// FrmLoteyPosicion: from which storage positions of a deposit (and, with
// lots, from which lot at each) the quantity of one voucher line is taken.
// The grid lists the deposit's stock per position in the line's unit, and a
// last DEPOSITO row for the stock held in no position; the user types a
// quantity per row and the window hands back a list of position*quantity
// items and its parallel lots list.
#include "platform/ui/modalform.h"
#include "platform/legacy/variant.h"
#include "voucher/lots/edicion.h"

#include <QString>
#include <QStringList>

namespace lots {

class FrmLoteyPosicion : public VentanaLotes {
    Q_OBJECT
public:
    FrmLoteyPosicion();

    // --- public variables, set by the launcher ----------------------------------
    QString Deposito;
    QString IUNIDAD;
    bool MostrarForm = false;
    bool EsConsultaDePosicionLote = false;
    bool EsPosicion = false;
    bool EsSerie = false;
    bool EsLote = false;
    bool EsPosicionYLote = false;
    double Cantidad1 = 0;
    QString IdDeposito;
    QString Articulo;
    QString ArticuloDescripcion;
    QString PosicionesAnteriores;
    QString LotesAnteriores;
    QString Posiciones;
    QString Lotes;

    // --- public procedures -----------------------------------------------------
    void CmdAceptar_Click();
    void cmdCancelar_Click();
    void CargaDatos();
    void InicializaGrid();
    void VerificaAnteriores();

    // The row of the stock without position (0 when the deposit has none).
    long FilaDeposito() const { return filaDeposito_; }

protected:
    void Form_Load() override;

    long ColumnaEntrada() const override { return 4; }
    bool EsColumnaCantidad(long col) const override { return col == 4; }
    long ColumnaCantidad() const override { return 4; }
    long ColumnaTodoIgual() const override { return 2; }
    double& CantidadPedida() override { return Cantidad1; }
    void MueveTrasEnter(ui::MSFlexGrid& g) override;
    QString ControlaCantidad(double Q) override;

private:
    void LlenaFilas(bool conLotes);
    void AgregaFilaDeposito();
    // A balance (of the unit unidadBase) in the line's unit IUNIDAD.
    double EnUnidadDeLinea(const QString& articulo, const legacy::Variant& unidadBase,
                           const legacy::Variant& saldo) const;
    void DescomponeAnteriores(const QString& Posicion_Lote, const QString& PIPELotes, QStringList& ArrPosiciones,
                              QStringList& ArrCantidades, QStringList& ArrLote);
    void ProponeCantidades();
    void Toolbar1_ButtonClick(long indice);
    QString ArmaListaGrilla(bool posiciones) const;

    long filaDeposito_ = 0;
};

// The window's default instance.
ui::DefaultInstance<FrmLoteyPosicion>& frmLoteyPosicion();

}  // namespace lots
