#pragma once
// Repaints read-outs at most once per display tick. A value that arrives forty times a second
// marks its widget; every widget marked since the last tick is repainted together at the
// next, in one paint of the window, so the displays never repaint faster than the eye reads
// and never once per sample.

#include <QRect>

class QWidget;

namespace kx {

namespace RepaintPacer {

constexpr int kTickMs = 50;

// Repaints `area` of `widget` (its whole rectangle when empty) at the next tick.
void schedule(QWidget* widget, const QRect& area = QRect());

} // namespace RepaintPacer

} // namespace kx
