#pragma once
// The window of the progress sign (see Dll_Display). Laid out in pixels from
// the designed twips (15 twips to the pixel).
#include <QList>
#include <QPixmap>
#include <QWidget>

#include <cstdint>

class QLabel;
class QPushButton;
class QTimer;

class Lbf_CtrlDisplay : public QWidget {
    Q_OBJECT
public:
    explicit Lbf_CtrlDisplay(QWidget* parent = nullptr);
    ~Lbf_CtrlDisplay() override;

    QLabel* LblCtrol[3] = {nullptr, nullptr, nullptr};
    QLabel* Image1 = nullptr;
    QPushButton* CmdDisplayCancelar = nullptr;
    QTimer* Timer1 = nullptr;
    QList<QPixmap> ImageList1;  // the animation frames, looked up 1-based

    // The number of the frame last shown (1 to 12; 0 before the first step
    // and right after the twelfth).
    std::int16_t contador() const { return contador_; }
    // The twelve frames of the animation (drawn, not read from files).
    static QList<QPixmap> CuadrosAnimacion();

    void Timer1_Timer();
    void CmdDisplayCancelar_Click();

private:
    void AjustaAFuente();
    void Form_Load();
    void MuestraCuadro(int indice);

    std::int16_t contador_ = 0;
};
