#pragma once
// A group that a running measurement holds.

class QWidget;

namespace kx {

// Disabled and shaded, with the not-allowed cursor, so the operator sees at a glance what
// cannot be changed now; its captions stay readable. Unlocked, it is as before.
void setGroupLocked(QWidget* group, bool locked);

} // namespace kx
