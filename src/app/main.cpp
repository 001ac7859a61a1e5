#include "platform/legacy/vberror.h"

#include <QApplication>
#include <QLabel>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    try {
        QLabel label(QStringLiteral("ANULACION FISICA DE COMPROBANTES"));
        label.show();
        return app.exec();
    } catch (const legacy::ProgramEnd& end) {
        return end.code;
    }
}
