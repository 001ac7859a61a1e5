#pragma once
// ClsCmnCptes: the suite's voucher class. One object bundles the voucher
// operations of the voucher windows (grids, lookup, loading, lots, stock and
// seats); each holder keeps its own private object, created at its first use.
// Its construction and ActualizaBuchon are defined in voucher/; each later
// member group in its own folder (grids, lookup, loading, lots, stock).
#include <QString>

#include <cstdint>

class ClsCmnCptes {
public:
    // Reads the class's configuration values (PIVA, PIVARec, AsientosXStock,
    // entregado_mostrador, LenDescripcion) once; a change of the table later
    // does not reach an existing object. There is no error trap: a failing
    // read, or a LenDescripcion outside the Integer range (error 6), raises
    // legacy::VbError to the statement that first used the object.
    ClsCmnCptes();

    // --- public variables ---------------------------------------------------
    bool DebitoProveedor = false;     // read by the voucher sign
    std::int16_t gLenDesc = 0;        // longest description of stock rows (100 by default)
    QString NPP_Cliente;              // written and read by the voucher loading
    QString NPP_IDCpte;
    bool esElectronica = false;       // read by the line-limit check
    bool esCreditoElectronica = false;

    // --- public members -----------------------------------------------------
    // One row of V_MV_CPTEACCIONES for a voucher: with GeneraSentencia the
    // INSERT text goes to *SentenciaSQL and nothing runs (for callers that put
    // it into a batch of their own); otherwise it runs at once through
    // ModGlobal::gDB().EjecutaConsultaSQL.
    //
    // The action is 'A' when lEsAlta, else 'M' when lEsModificacion, else 'B';
    // a non-empty TipoAccion asks for that action instead ("E" for a physical
    // deletion). Text values have their apostrophes doubled, so no value can
    // change the statement; IdComplemento goes in as it is, unquoted (callers
    // pass a number). NroAsiento is accepted and not recorded: the row has no
    // column for it. Every step goes on after an error; nothing reaches the
    // caller, and a value whose step failed stays empty.
    void ActualizaBuchon(const QString& TC, const QString& SucNroLetra, const QString& IdComplemento, bool lEsAlta,
                         bool lEsModificacion, bool GeneraSentencia = false, QString* SentenciaSQL = nullptr,
                         const QString& NroAsiento = {}, const QString& Cuenta = {}, const QString& ProcesoLote = {},
                         const QString& TipoAccion = {});

    // --- grids (voucher/grids) ---------------------------------------------

    // --- voucher lookup (voucher/lookup) -----------------------------------

    // --- loading (voucher/loading) -----------------------------------------

    // --- lots, serials and positions (voucher/lots) ------------------------

    // --- stock movements and seats (voucher/stock) -------------------------

private:
    friend struct ClsCmnCptesPrueba;  // tests read the configuration fields

    double PIVA = 0;
    double PIVARec = 0;
    bool AsientosXStock = false;
    bool EntregadoMostrador = false;

    // --- grids: private state ----------------------------------------------

    // --- voucher lookup: private state -------------------------------------

    // --- loading: private state --------------------------------------------

    // --- lots: private state -----------------------------------------------

    // --- stock: private state ----------------------------------------------
};
