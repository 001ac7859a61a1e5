// The program's start-up as the operator sees it: Form1 created and loaded
// (the whole start-up: connection, configuration, login) and shown until its
// first paint, on the demo-size database and on the production-size one,
// alternating which goes first. Judged on the median of the rounds after a
// warm-up round; prints both times and their ratio (target: at most 1.5).
// Argument: the counted rounds (default 9).
#include "deletion/form1.h"
#include "platform/legacy/vberror.h"
#include "common/banco.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace {

// Notes the first paint of the watched window.
class Pintura : public QObject {
public:
    bool pintada = false;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint) pintada = true;
        return false;
    }
};

// One start of the program on the database `nombre`: a fresh connection,
// Form1 loaded, shown and painted once.
void arranca(const QApplication& app, const QDir& carpeta, const char* nombre)
{
    banco::programa(app, carpeta.path(),
                    QStringLiteral("@server=(sqlite);@dbname=%1;@usuario=DEMO;@Password=DEMO;")
                        .arg(QLatin1String(nombre)));
    banco::cierraPrincipal();
    Form1 form;
    Pintura pintura;
    form.installEventFilter(&pintura);
    form.Form_Load();
    form.show();
    QElapsedTimer espera;
    espera.start();
    while (!pintura.pintada) {
        if (espera.elapsed() > 10000) throw std::runtime_error("the window was never painted");
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    form.removeEventFilter(&pintura);
}

}  // namespace

int main(int argc, char** argv)
{
    banco::plataforma();
    QApplication app(argc, argv);
    const int rondas = std::max(1, argc > 1 ? std::atoi(argv[1]) : 9);
    return banco::corre("bench_startup", [&] {
        QTemporaryDir dir;
        const QDir carpeta(dir.path());
        banco::programa(app, dir.path());
        banco::creaAmbas(carpeta);
        banco::creaBase(carpeta.filePath(QStringLiteral("KD_REGISTROSVAR.sqlite")), QStringLiteral("KD_REGISTROSVAR"));

        banco::Sesion dlg;
        banco::Rondas r[2];
        for (int ronda = 0; ronda <= rondas; ++ronda)
            banco::alterna(
                ronda, [&] { banco::mide(r[0], ronda, [&] { arranca(app, carpeta, banco::kTamanos[0].nombre); }); },
                [&] { banco::mide(r[1], ronda, [&] { arranca(app, carpeta, banco::kTamanos[1].nombre); }); });
        std::printf("start-up, Form1 from its load to its first paint, median of %d rounds after a warm-up\n", rondas);
        banco::imprimeTamanos("start-up to the painted window:", r[0].ms(), r[1].ms());
        return 0;
    });
}
