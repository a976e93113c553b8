#include "ui/common/ReadoutField.h"

namespace kx {

ReadoutField::ReadoutField(const QString& caption, const QColor& colour, int pixelSize,
                           const QString& initialText, QWidget* parent)
    : ValueLabel(caption, initialText, parent)
{
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::black);
    p.setColor(QPalette::WindowText, colour);
    setPalette(p);
    QFont f = font();
    f.setPixelSize(pixelSize);
    f.setBold(true);
    setFont(f);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

} // namespace kx
