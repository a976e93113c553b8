#include "ui/ValueLabel.h"

#include <QAccessible>
#include <QAccessibleWidget>

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
    QString shown() const { return static_cast<const QLabel*>(widget())->text(); }
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
    : QLabel(text, parent)
{
    static const bool installed = [] {
        QAccessible::installFactory(valueLabelFactory);
        return true;
    }();
    Q_UNUSED(installed);
    setAccessibleName(caption);
}

} // namespace kx
