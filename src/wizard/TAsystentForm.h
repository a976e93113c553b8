#pragma once
#include "app/ToolWindow.h"

namespace kx {

// The connection wizard: opens the port, identifies the device and reads its parameters.
class TAsystentForm : public ToolWindow
{
    Q_OBJECT

public:
    explicit TAsystentForm(QWidget* parent = nullptr);
};

}  // namespace kx
