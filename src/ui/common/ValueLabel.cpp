#include "ui/common/ValueLabel.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QPainter>
#include <QStyle>

#include "ui/common/RepaintPacer.h"

namespace kx {

namespace {

// Name: the caption. Value and text interface: the shown text.
class ValueLabelAccessible : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit ValueLabelAccessible(QWidget* w) : QAccessibleWidget(w, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return shown();
        return QAccessibleWidget::text(t);
    }

    void* interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = true;
        return s;
    }

    // The text interface, read-only: no selection, no cursor.
    void selection(int, int* startOffset, int* endOffset) const override
    {
        *startOffset = *endOffset = 0;
    }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int startOffset, int endOffset) const override
    {
        const QString all = shown();
        startOffset = qBound(0, startOffset, int(all.size()));
        endOffset = qBound(startOffset, endOffset, int(all.size()));
        return all.mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(shown().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* startOffset, int* endOffset) const override
    {
        *startOffset = *endOffset = offset;
        return {};
    }

private:
    QString shown() const { return static_cast<const ValueLabel*>(widget())->text(); }
};

QAccessibleInterface* valueLabelFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String(ValueLabel::staticMetaObject.className()) &&
        object->isWidgetType())
        return new ValueLabelAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

} // namespace

ValueLabel::ValueLabel(const QString& caption, const QString& text, QWidget* parent)
    : QFrame(parent), m_text(text)
{
    static const bool installed = [] {
        QAccessible::installFactory(valueLabelFactory);
        return true;
    }();
    Q_UNUSED(installed);
    setAccessibleName(caption);
    m_hint = hintFor(advanceOf(m_text));
}

void ValueLabel::setText(const QString& text)
{
    if (text == m_text)
        return;
    const QRect before = textRect(advanceOf(m_text));
    m_text = text;
    const int advance = advanceOf(m_text);
    const QSize wanted = hintFor(advance);
    if (wanted.width() > m_hint.width() || wanted.height() > m_hint.height()) {
        m_hint = m_hint.expandedTo(wanted);
        updateGeometry();
    }
    RepaintPacer::schedule(this, before.united(textRect(advance)));
    if (QAccessible::isActive()) {
        QAccessibleTextUpdateEvent changed(this, 0, QString(), m_text);
        QAccessible::updateAccessibility(&changed);
    }
}

void ValueLabel::setAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment;
    update();
}

QSize ValueLabel::hintFor(int advance) const
{
    const QMargins m = contentsMargins();
    return {advance + m.left() + m.right(), fontMetrics().height() + m.top() + m.bottom()};
}

QSize ValueLabel::sizeHint() const
{
    return m_hint;
}

QSize ValueLabel::minimumSizeHint() const
{
    return m_hint;
}

QRect ValueLabel::textRect(int advance) const
{
    const QRect contents = contentsRect();
    // A pixel to spare on each side for glyphs that reach past their advance.
    const QSize size(advance + 4, fontMetrics().height() + 2);
    return QStyle::alignedRect(layoutDirection(), m_alignment, size, contents)
        .intersected(contents);
}

void ValueLabel::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    QPainter p(this);
    p.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    p.drawText(contentsRect(), int(m_alignment) | Qt::TextSingleLine, m_text);
}

void ValueLabel::changeEvent(QEvent* event)
{
    QFrame::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::ContentsRectChange) {
        m_hint = hintFor(advanceOf(m_text));
        updateGeometry();
    }
}

} // namespace kx
