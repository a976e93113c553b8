#include "ui/common/LockedGroup.h"

#include <QWidget>

namespace kx {

void setGroupLocked(QWidget* group, bool locked)
{
    group->setEnabled(!locked);
    group->setAutoFillBackground(true);
    QPalette p = group->palette();
    p.setColor(QPalette::Window,
               group->palette().color(locked ? QPalette::Dark : QPalette::Button));
    // Greyed-out captions on the shadow colour would vanish.
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(60, 60, 60));
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(60, 60, 60));
    group->setPalette(p);
    if (locked)
        group->setCursor(Qt::ForbiddenCursor);
    else
        group->unsetCursor();
}

} // namespace kx
