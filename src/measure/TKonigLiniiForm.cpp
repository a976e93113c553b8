#include "measure/TKonigLiniiForm.h"

namespace kx {

TKonigLiniiForm::TKonigLiniiForm(QWidget* parent)
    : ToolWindow(parent, "Konfiguracja linii wyjsc na wykresie", QSize(330, 260))
{
    setObjectName("KonigLiniiForm");
}

}  // namespace kx
