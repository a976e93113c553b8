#pragma once
#include "app/ToolWindow.h"

namespace kx {

// The traffic monitor: raw requests and replies, and a dump of the parameter model.
class TCOM_DBG_Form : public ToolWindow
{
    Q_OBJECT

public:
    explicit TCOM_DBG_Form(QWidget* parent = nullptr);
};

}  // namespace kx
