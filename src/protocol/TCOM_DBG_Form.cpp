#include "protocol/TCOM_DBG_Form.h"

namespace kx {

TCOM_DBG_Form::TCOM_DBG_Form(QWidget* parent) : ToolWindow(parent, "COM_debugger", QSize(692, 489))
{
    setObjectName("COM_DBG_Form");
}

}  // namespace kx
