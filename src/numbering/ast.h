#pragma once
// The module ast: the number books a voucher draws from (choice of the book
// and of its proposal, recording of a used number), the numbering alias of a
// voucher type, and the sub-journal and seat number of an accounting seat.
// Shares gTalonario with the module Stock (numbering/stock.h).
#include "platform/legacy/variant.h"

#include <QString>

#include <cstdint>

namespace ast {

// The number book (V_TA_CPTE.Talonario) last chosen by
// Obtener_Nro_Comprobante_Contable or found covering a number by
// Stock::ValidaNumeracionComprobante; ActualizaNumeracionComprobante updates
// that book. Lives for the whole run.
extern std::int16_t gTalonario;

// The type whose number books TC uses: configuration key "NUM_" & Trim(TC),
// trimmed, or TC itself (untrimmed) when that is empty. No error trap.
QString ObtieneTCNumeracion(const QString& TC);

// Chooses the number book of TC (the numbering alias) for a business unit
// and hands back its proposal: Sucursal ("0000"), Numero ("00000000", the
// stored next number; 0 proposes 00000001), Letra (trimmed), Tope (the
// range's upper bound), ModificaNumeracion, and the book in gTalonario.
// Sucursal "" = any branch, "*" & branch = the books of that branch when it
// has any; Letra "" = "X", "*" & text = the books whose letters hold the
// text. For OT, FC, NC and ND an empty branch takes the logged-in user's
// default branch and letter. A type without books gives "1", "1", "X"; when
// every book is used up the operator is told which ones they are and, with
// no usable book, Sucursal and Numero come back "" (a number brought in is
// dropped). Failing steps go to the database error box
// ("Obtener_Nro_Comprobante_Contable").
void Obtener_Nro_Comprobante_Contable(const QString& TC, QString& Sucursal, QString& Numero, QString& Letra,
                                      bool& ModificaNumeracion, const QString& Fecha, const QString& UNegocio,
                                      QString& Tope);

// Records a used number: the book gTalonario of TC's numbering alias (after
// Stock::ValidaNumeracionComprobante has looked for the book covering
// Numero) receives Numero, the number that follows the voucher's own, in the
// letter's last-number column, unless that would move the book backwards or
// the book belongs to another branch. GeneraSentencia: nothing is written;
// SentenciaSQL receives the UPDATE text (not with SinActualizarNumero) and,
// for accounting types, with EsContable or for OC, the INSERT of the control
// row of V_MV_CTROL_CPTE, for the caller's own batch. Otherwise the book row
// is changed at once through the recordset. Books missing from V_TA_CPTE are
// looked up in TA_Comprobantes for NombreSistema. An empty Letra comes back
// "X". Failing steps go to the database error box ("ConsultaComprobante").
void ActualizaNumeracionComprobante(const QString& TC, const QString& NombreSistema, const QString& Sucursal,
                                    const QString& Numero, QString& Letra, bool GeneraSentencia,
                                    QString& SentenciaSQL, bool EsContable = false,
                                    bool SinActualizarNumero = false);

// The sub-journal of a voucher type (MA_SUBDIARIOSCOMPROBANTES, checked
// against MA_SUBDIARIOS) as stored; four blanks when there is none.
QString ObtieneTipoRegCont(const QString& TC);

// The next free seat number of a month, sub-journal and period: one above
// the highest seat, or above the highest cost-centre seat when that number
// is taken there. 1 for the first seat; 0 when left after an error. An empty
// TipoReg counts the seats without sub-journal ("" or Chr(255) & "RS").
std::int32_t ValidaTCRegistraciones(const legacy::Variant& MesOperativo, const legacy::Variant& Periodo,
                                    const legacy::Variant& TipoReg = {});

}  // namespace ast
