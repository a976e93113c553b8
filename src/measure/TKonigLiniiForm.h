#pragma once
#include "app/ToolWindow.h"

namespace kx {

// Height and offset of the output lines drawn on the chart.
class TKonigLiniiForm : public ToolWindow
{
    Q_OBJECT

public:
    explicit TKonigLiniiForm(QWidget* parent = nullptr);
};

}  // namespace kx
