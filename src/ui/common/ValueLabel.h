#pragma once
// A read-only text that shows a value (a measured value, a time, a rate, the device's
// identity). It keeps its caption as its accessible name and gives the value it shows through
// the accessible text interface, as a read-only edit box does (a plain QLabel with an
// accessible name hides its text from screen readers and UI automation).
//
// Values change many times a second, so it is built to cost little: the text is there at
// once (text()), but it is repainted at the next display tick (RepaintPacer), only where the
// old and the new text stand; and its size hint only ever grows, so a value a character
// longer or shorter than the last never moves the layout around it.

#include <QFrame>

namespace kx {

class ValueLabel : public QFrame
{
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)

public:
    explicit ValueLabel(const QString& caption, const QString& text = QString(),
                        QWidget* parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString& text);
    Qt::Alignment alignment() const { return m_alignment; }
    void setAlignment(Qt::Alignment alignment);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Where the text is drawn, within the contents.
    // Both from the text's advance, measured once per text.
    QRect textRect(int advance) const;
    QSize hintFor(int advance) const;
    int advanceOf(const QString& text) const { return fontMetrics().horizontalAdvance(text); }

    QString m_text;
    Qt::Alignment m_alignment = Qt::AlignLeft | Qt::AlignVCenter;
    QSize m_hint;
};

} // namespace kx
