#include "wizard/TAsystentForm.h"

namespace kx {

TAsystentForm::TAsystentForm(QWidget* parent)
    : ToolWindow(parent, QString::fromUtf8("łączenie z urządzeniem...."), QSize(420, 470))
{
    setObjectName("AsystentForm");
}

}  // namespace kx
