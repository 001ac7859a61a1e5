#pragma once
// Form1: the program's window "ANULACION FISICA DE COMPROBANTES". Its load
// (Form_Load) runs the whole start-up before the window is first shown. The
// voucher fields and "&Aceptar" sit in the frame FrmDetalle, which stays
// disabled until the access code is typed into the password box; "&Aceptar"
// physically deletes the voucher (CmdAceptar_Click), "&Cancelar" ends the
// program.
//
// The six text boxes share one behaviour: coloured while focused
// (ModGlobal::CFondo / CLetra), white and black otherwise, and Enter moves
// the focus to the next control of the tab order.
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

class ClsCmnCptes;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

class Form1 : public QWidget {
    Q_OBJECT
public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    // The fixed access code that unlocks the voucher fields.
    static QString ClaveAcceso();

    // --- controls ----------------------------------------------------------
    QLineEdit* txtPassWord = nullptr;     // password character "*"
    QLineEdit* txtTC = nullptr;           // at most 4 characters
    QLineEdit* txtSUC = nullptr;          // at most 4
    QLineEdit* txtNRO = nullptr;          // at most 8
    QLineEdit* txtLetra = nullptr;        // one letter, blanks before it dropped
    QLineEdit* txtComplemento = nullptr;  // at most 2, "0" at first
    QLabel* Label1[6] = {};               // "PassWord", "TC", "SUC", "NRO", "LETRA", "COMPLEMENTO"
    QGroupBox* FrmDetalle = nullptr;      // disabled until the access code is typed
    QPushButton* CmdAceptar = nullptr;
    QPushButton* CmdCancelar = nullptr;
    QObject* SkinFramework1 = nullptr;    // receives the user's skin settings

    // --- events ------------------------------------------------------------
    // The start-up (ModGlobal::IniciaAplicacion), then the user's fonts and
    // skin and the library's window set-up. Throws legacy::ProgramEnd when
    // the start-up ends the program.
    void Form_Load();
    // The access gate: the frame is enabled exactly while the whole text
    // equals the access code, letter case ignored, nothing trimmed.
    void txtPassWord_Change();
    // The deletion of the voucher in the five fields (anulacion.cpp).
    void CmdAceptar_Click();
    // Unloads the window and ends the program: throws legacy::ProgramEnd(0).
    void cmdCancelar_Click();

    // The field family, one behaviour for the six boxes.
    void Campo_GotFocus(QLineEdit* campo);
    void Campo_LostFocus(QLineEdit* campo);
    void Campo_KeyPress(QLineEdit* campo, int& KeyAscii);

    // Empties the five voucher fields (the complement too); the password box
    // and the frame are left alone.
    void Inicializa();

    // The window's voucher object; null until the first deletion that reaches
    // the action statement creates it.
    ClsCmnCptes* Comprobante() const { return comprobante_.get(); }

    // What a button click does when a handler ends the program: by default it
    // closes the window and leaves the event loop with the code.
    static void setFinPrograma(std::function<void(int)> fin);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreaControles();
    // Fits the fields to the font the window was given (see form1.cpp).
    void AjustaAFuente();
    // Runs a handler for a click; a legacy::ProgramEnd it throws ends the
    // program without crossing the event loop.
    void Despacha(const std::function<void()>& handler);
    // A failed batch may leave its transaction open on the connection.
    static void DeshaceTransaccionAbierta();

    std::unique_ptr<ClsCmnCptes> comprobante_;
};
