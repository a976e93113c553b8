#pragma once
#include "app/ToolWindow.h"

namespace kx {

// The About window.
class TO_programieForm : public ToolWindow
{
    Q_OBJECT

public:
    explicit TO_programieForm(QWidget* parent = nullptr);
};

} // namespace kx
