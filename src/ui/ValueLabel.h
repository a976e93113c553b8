#pragma once
// A read-only text that shows a value (a measured value, a time, a rate, the device's
// identity). It keeps its caption as its accessible name and gives the value it shows through
// the accessible text interface, as a read-only edit box does: a plain QLabel with an
// accessible name hides its text from screen readers and UI automation.

#include <QLabel>

namespace kx {

class ValueLabel : public QLabel
{
    Q_OBJECT

public:
    explicit ValueLabel(const QString& caption, const QString& text = QString(),
                        QWidget* parent = nullptr);
};

} // namespace kx
