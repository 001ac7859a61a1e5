#pragma once
// The suite's text-and-value utilities (the `Funciones` object). Every member
// is static, so a holder may keep an object and call through it
// (gUtilidades->RellenaCodigo(...)) or call the class directly. A failing
// call raises legacy::VbError in the caller.
#include "platform/legacy/numeric.h"
#include "platform/legacy/variant.h"
#include "platform/legacy/vberror.h"

#include <QString>
#include <QStringList>

#include <concepts>
#include <optional>

class QWidget;

namespace kapores2 {

class Funciones {
public:
    // A key brought to the fixed width of its stored column. The code is
    // trimmed of blanks; a code of digits only is then right-aligned behind
    // leading blanks ("   1"), any other code left-aligned with trailing
    // blanks ("FP  "). A trimmed code at or over the width comes back as it
    // is ("ELDELGRID"), and so does an SQL literal: a text between single
    // quotes or the word NULL. Without a width (0 or less): the trimmed code.
    static QString RellenaCodigo(const QString& codigo, int ancho = 0);
    // The same fill rule for texts: digits only to the right, anything else
    // to the left; a text at or over the width comes back trimmed.
    static QString RellenaTexto(const QString& texto, int ancho);
    // At most `maximo` characters (error 5 when negative).
    static QString CortaTexto(const QString& texto, long maximo);

    // The value of a number text: blanks around it, a sign and the regional
    // currency symbol are allowed, the leading number is read and the rest
    // ignored; "" or junk gives 0. "." and "," are both decimal signs when
    // only one of them occurs once; repeated alone they separate thousands;
    // when both occur the last one is the decimal sign. Values that are not
    // text convert directly (Null and Empty give 0). Error 6 on overflow,
    // 13 for objects.
    static legacy::Currency TextoANumero(const legacy::Variant& texto);
    static double TextoADoble(const legacy::Variant& texto);
    // Rounded half to even to a whole number.
    static std::int32_t TextoAEntero(const legacy::Variant& texto);

    // A field value with Null made usable: "" for Null, everything else as
    // it is.
    static legacy::Variant ValorNoNulo(const legacy::Variant& valor);
    // The same knowing the field's data type (the DataTypeEnum code): Null
    // of a numeric or bit column gives a zero of the column's kind, Null of
    // any other column "".
    static legacy::Variant ValorNoNulo(const legacy::Variant& valor, int tipoCampo);
    // A recordset field: its value by its type.
    template <class Campo>
        requires requires(const Campo& c) {
            { c.Value() } -> std::convertible_to<legacy::Variant>;
            { c.Type() } -> std::convertible_to<int>;
        }
    static legacy::Variant ValorNoNulo(const Campo& campo)
    {
        return ValorNoNulo(legacy::Variant(campo.Value()), int(campo.Type()));
    }

    // Words of a text separated by blanks, tabs and line ends.
    static long CuentaPalabras(const QString& texto);
    // The text without every occurrence of each given character (or text).
    static QString QuitaCaracteres(const QString& texto, const QString& c1, const QString& c2 = {},
                                   const QString& c3 = {});
    // Every `buscar` replaced by `reemplazo`, letter case counting.
    static QString Reemplaza(const QString& texto, const QString& buscar, const QString& reemplazo);
    // A name replaced in a statement: whole names only (not inside a longer
    // name), without regard to letter case.
    static QString ReemplazaTexto(const QString& texto, const QString& viejo, const QString& nuevo);
    // The value is one of the elements; texts compare trimmed and without
    // regard to letter case, numbers by value. Null is in no list.
    static bool EstaEnLista(const legacy::Variant& valor, const QStringList& lista);
    // The same with an array (a Variant holding one) or a single value.
    static bool EstaEnLista(const legacy::Variant& valor, const legacy::Variant& lista);
    // The plain text of a fixed-length field: up to its first Chr(0), trimmed.
    static QString TextoDeCampoFijo(const QString& campo);
    // The plain voucher type of an SQL literal ("'OC'" -> "OC", "NULL" -> "").
    static QString ObtieneTextoTc(const QString& literal);

    // The folder ready for a file name: ending in "/" (a closing backslash
    // becomes "/"); an empty folder gives "./".
    static QString CompletaRuta(const QString& carpeta);

    // The stored form of a password: letters and digits only, so it survives
    // comma-separated, trimmed files; "" stays "".
    static QString CodificaClave(const QString& clave);
    // Undoes CodificaClave; a text that is not a stored form comes back as it is.
    static QString DecodificaClave(const QString& guardada);

    // The error box of the database error dialog: "Ha ocurrido el Siguiente
    // Error (n) description", titled source [" - " routine] " Aviso al
    // operador!!! - 5 ", buttons 18 (Abort/Retry/Ignore, critical) unless
    // given. Returns the answer (0 without a box when the error number is 0).
    // Writes no log line.
    static int MuestraError(const legacy::VbError& error, std::optional<int> botones = std::nullopt,
                            const QString& rutina = {});
    static int MuestraError(const legacy::ErrObject& error, std::optional<int> botones = std::nullopt,
                            const QString& rutina = {});

    // Window set-up at load: the windows of this program need nothing from
    // here (styling is the program's own), so it only accepts the call.
    static void PreparaFormulario(QWidget* ventana, bool opcion = false);
};

}  // namespace kapores2
