// The program: its one window, loaded (the whole start-up runs in its load)
// before it is first shown.
#include "deletion/form1.h"
#include "lookup/lib_clscons3.h"
#include "platform/legacy/program.h"
#include "platform/legacy/vberror.h"
#include "platform/ui/application.h"

#include <QApplication>
#include <QLineEdit>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    legacy::setApp(legacy::ProgramInfo::fromProcess(app.arguments()));
    ui::PrepareApplication();
    // ModGlobal::gConsulta() is the whole lookup class from its first use.
    lookup::InstalaConsulta();
    try {
        Form1 form;
        form.Form_Load();
        form.show();
        form.txtPassWord->setFocus();
        return app.exec();
    } catch (const legacy::ProgramEnd& end) {
        return end.code;
    }
}
