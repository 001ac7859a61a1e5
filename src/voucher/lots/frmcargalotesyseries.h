#pragma once
// FrmCargaLotesySeries: the serials and lots of one voucher line. Entry mode
// (EsConsultaDeSerieLote false): one lot or serial per unit typed into a
// one-column grid, handed back as a list. Stock-pick mode: the deposit's
// lots and serials in stock for the article, less what the voucher's other
// lines use, with a quantity per row, handed back as two parallel lists
// (lot Chr(255) serial items and their quantities).
#include "platform/ui/modalform.h"
#include "voucher/lots/edicion.h"

#include <QString>
#include <QStringList>

namespace lots {

class FrmCargaLotesySeries : public VentanaLotes {
    Q_OBJECT
public:
    FrmCargaLotesySeries();

    // --- public variables, set by the launcher ----------------------------------
    QString Deposito;
    bool MostrarForm = false;
    bool EsConsultaDeSerieLote = false;
    bool EsSerie = false;
    bool EsLote = false;
    bool EsSerieYLote = false;
    bool EsTalle = false;
    double Cantidad = 0;
    QString IdDeposito;
    QString Articulo;
    QString ArticuloDescripcion;
    QString SeriesAnteriores;
    QString LotesAnteriores;
    QString Series;
    QString Lotes;
    QString SeriesExistentes;
    QString LotesExistentes;

    // Largest quantity that entry mode gives one row per unit.
    static constexpr double MaximoUnidades = 100000;

    // --- public procedures -----------------------------------------------------
    void CmdAceptar_Click();
    void cmdCancelar_Click();
    void CargaDatos();
    void InicializaGrid();
    void VerificaAnteriores();
    void VerificaExistenciasEnGrilla();
    // First-fit fill of the quantity column from the stock column.
    void CompletaCantidades();

protected:
    void Form_Load() override;

    // Stock pick edits only the quantity: the lot and serial columns are the
    // stock's own keys, and a changed one would name stock that is not there.
    long ColumnaEntrada() const override { return EsConsultaDeSerieLote ? 3 : 1; }
    bool AbreEnColumna(long col) const override
    {
        return col == ColumnaEntrada() || (EntradaDoble() && col == ColumnaSerie());
    }
    bool EsColumnaCantidad(long col) const override;
    long ColumnaCantidad() const override { return 3; }
    // Serials are not copied: each unit has its own (with the serial format
    // on, an item is a serial and its quantity, which may repeat).
    long ColumnaTodoIgual() const override
    {
        return EsSerie && !EsTalle && !EntradaDoble() && !FormatoSerieAsterisco ? -1 : 1;
    }
    double& CantidadPedida() override { return Cantidad; }
    void MueveTrasEnter(ui::MSFlexGrid& g) override;
    QString ControlaCantidad(double Q) override;
    void ValidaOtroCampo(CajaEdicion& Texto) override;
    bool ControlaCantidades() const override { return EsConsultaDeSerieLote; }

private:
    void ProponeCantidades();
    void Toolbar1_ButtonClick(long indice);
    // One list from the data rows, an item per row ("-" for a blank one).
    QString ArmaListaGrilla(const std::function<QString(long fila)>& item) const;
    void CargaListaEnColumna(const QString& lista, long col);
    // Stock pick: the row's lot Chr(255) serial, as the accept writes it.
    QString ClaveFila(long fila) const;
    // Entry mode with lots and serials: a lot column and a serial column.
    bool EntradaDoble() const { return !EsConsultaDeSerieLote && EsSerieYLote; }
    // Entry mode: where the serials are typed.
    long ColumnaSerie() const { return EntradaDoble() ? 2 : 1; }

    // Where the line's earlier pick (items and quantities) stands as a run in
    // the gathered lists of the voucher's lines; -1 when it does not.
    static qsizetype TramoPropio(const QStringList& items, const QStringList& cantidades, const QStringList& propios,
                                 const QStringList& propiasCant);

    bool FormatoSerieAsterisco = false;
    // Entry mode with a quantity that gets no rows.
    bool SinFilas = false;
};

// The window's default instance.
ui::DefaultInstance<FrmCargaLotesySeries>& frmCargaLotesySeries();

}  // namespace lots
