#include "platform/kapores2/dialogo.h"

#include "platform/ui/dialogs.h"

namespace kapores2 {

void Dialogo::DialogoAbrir()
{
    ui::OpenFileRequest pedido;
    pedido.title = titulo_;
    pedido.filter = filtro_;
    pedido.initialDir = carpeta_;
    archivo_ = ui::dialogs().openFile(pedido);
}

}  // namespace kapores2
