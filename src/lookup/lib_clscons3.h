#pragma once
// lookup::Lib_ClsCons3: the whole lookup entry. A calling window names a
// table or gives a SELECT text; ConsultaSearch builds the final query (from
// the SELECT text, a stored definition of "consultas.vrk" or the table's
// own columns), shows it in the list window Lib_FrmCons3 or the tree window
// Lib_FrmCons3Tree and copies the choice back into ValorDevuelto, Valores
// and Cantidades. The option choosers show a fixed list in the list window.
//
// The program's shared instance ModGlobal::gConsulta() is one of these once
// InstalaConsulta() has put the factory in (the program does it at start).
//
//   auto& c = lookup::Consulta();
//   c.Checks = true;
//   c.ConsultaSearch("VT_CLIENTES");
//   for (int i = 1; i <= c.Valores->Count(); ++i) ...
#include "core/lib_clscons3.h"
#include "platform/legacy/collection.h"
#include "platform/legacy/variant.h"

#include <QString>

#include <memory>

namespace lookup {

using ColeccionPtr = std::shared_ptr<legacy::Collection>;

class Lib_ClsCons3 : public ::Lib_ClsCons3 {
public:
    // Reads the configuration (through ModGlobal::Cfg at this moment).
    Lib_ClsCons3();
    ~Lib_ClsCons3() override;

    // --- public variables, in their order (gConnString, gRutaMascaraConsultas
    // and gUsarMascarasConsultas come from the base) ---------------------------
    legacy::Variant StkNivel1, StkNivel2, StkNivel3, StkNivel4;  // "Stk_Nivel1".. (0 when empty)
    QString MuestraStock;       // "MostrarStockenConsultas"
    ColeccionPtr CmpsDevueltos; // an empty collection, not used by the lookup
    ColeccionPtr Valores;       // result of the last lookup
    ColeccionPtr Cantidades;    // quantities of the last list lookup; null until one
    bool Checks = false;        // request: check boxes (reset by every lookup)
    legacy::Variant ValorDevuelto;
    bool UsaCantidades = false; // request: quantities (kept)
    QString CampoDevuelto;      // request: returned column (reset by every lookup)

    // sql: a SELECT text or a bare table name. CmpsDevueltos: headers whose
    // cells go to Valores (emptied and set to null afterwards). Clave: the
    // first search text. CampoBusqueda and Where may be rewritten.
    // SentenciaOpcional replaces the query of a table without a definition.
    void ConsultaSearch(const QString& sql, ColeccionPtr* CmpsDevueltos = nullptr, const QString& Clave = {},
                        QString* CampoBusqueda = nullptr, QString* Where = nullptr,
                        const QString& SentenciaOpcional = {}, bool TreeView = false,
                        const QString& ValoresDefault = {});
    void GrabaConsultaDefault() {}

    // The option choosers. An option list whose first element is an array
    // is that array. CheckOpciones: each option's first character "1" shows
    // it ticked; the ticked labels end in Valores; the result is "".
    QString CheckOpciones(const QString& Titulo, const ColeccionPtr& CmpsDevueltos, const legacy::VariantList& Opc);
    // One option picked: its text ("" when cancelled).
    QString MenuOpciones(const QString& Titulo, const legacy::VariantList& Opc);
    // One line of a text file picked.
    QString ConsultaDesdeArchivo(const QString& Titulo, const QString& QueArchivo, const QString& Separador = {});

private:
    enum class Chooser { Checks, Menu, Archivo };
    QString Elige(const QString& Titulo, const QStringList& opciones, Chooser tipo);

    bool usaLike_ = false;  // "UsaConsultaLike" is "SI"
};

// Puts the factory of this class into ModGlobal (the next gConsulta()
// creation makes one).
void InstalaConsulta();
// The shared instance as this class (installs the factory and drops a plain
// object made before it).
Lib_ClsCons3& Consulta();

}  // namespace lookup
