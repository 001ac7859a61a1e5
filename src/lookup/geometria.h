#pragma once
// The list lookup window's layout in twips: the sizes that follow the
// columns (CalcularAncho) and the placing after a size change
// (Form_Resize). Plain numbers in, plain numbers out.
#include <vector>

namespace lookup {

struct Columna {
    double left = 0;   // the column's left position in the list
    double width = 0;
};

struct AnchoCalculado {
    std::vector<Columna> cajas;  // search box c - 1 over column c
    double anchoLista = 0;
    double anchoPanel = 0;       // picFields
    double anchoBarra = 0;       // HScroll1 (its range follows the rows' view: the window sets it)
    double anchoVentana = 0;
};

// The search boxes over the columns, the list, panel, scroll bar and window
// widths for a screen `anchoPantalla` twips wide. A box over a column
// narrower than 50 twips gets width 0 (it cannot be negative).
AnchoCalculado CalcularAncho(const std::vector<Columna>& columnas, double anchoPantalla);

struct Rect {
    double left = 0, top = 0, width = 0, height = 0;
};

struct Disenio {
    double altoFrame = 0;
    double altoBarra = 0;
    double anchoAceptar = 0;   // designed widths of the buttons
    double anchoCancelar = 0;
    double anchoNuevo = 0;     // CmdNuevo
    bool nuevaVisible = true;  // CmdNueva shown
};

struct Disposicion {
    Rect panel, lista, frame, barra;
    double leftAceptar = 0, leftCancelar = 0, leftNueva = 0;
    double anchoAceptar = 0, anchoCancelar = 0;
    double anchoLabel = 0;
};

// The placing for a window of the given size. The buttons always start from
// their designed widths: a bar too narrow for both halves them once.
Disposicion Disponer(double anchoVentana, double altoVentana, const Disenio& d);

}  // namespace lookup
