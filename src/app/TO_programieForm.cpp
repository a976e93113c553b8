#include "app/TO_programieForm.h"

#include <QLabel>
#include <QPushButton>

namespace kx {

TO_programieForm::TO_programieForm(QWidget* parent)
    : ToolWindow(parent, "KX350T-PC", QSize(478, 183))
{
    setObjectName("O_programieForm");
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);

    auto* name = new QLabel("KX350T-PC", this);
    name->setObjectName("Label1");
    QFont big = name->font();
    big.setPointSize(20);
    big.setBold(true);
    name->setFont(big);
    name->move(12, 8);

    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("BitBtn1");
    ok->setGeometry(478 - 90, 183 - 36, 80, 28);
    connect(ok, &QPushButton::clicked, this, &QWidget::close);
}

} // namespace kx
