#include "ui/monitor/TCOM_DBG_Form.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>

#include "ui/common/ValueLabel.h"

namespace kx {

namespace {

// The panes fill 692 × 489; the line's losses have a row of their own below them.
constexpr int kPanesHeight = 489;
constexpr int kCountersHeight = 28;

} // namespace

TCOM_DBG_Form::TCOM_DBG_Form(QWidget* parent)
    : ToolWindow(parent, "COM_debugger", QSize(692, kPanesHeight + kCountersHeight))
{
    setObjectName("COM_DBG_Form");

    QFont font("Courier New");
    font.setStyleHint(QFont::Monospace);
    font.setBold(true);
    font.setPixelSize(12);

    // Where each pane sits, and the names of its context menu and "czyść" item.
    struct PaneLayout
    {
        const char* name;
        QRect place;
        const char* menu;
        const char* item;
        void (TCOM_DBG_Form::*clear)();
    };
    const PaneLayout paneLayouts[4] = {
        {"Memo1", {6, 6, 365, 385}, "PopupMenu1", "czy1", &TCOM_DBG_Form::czy1Click},
        {"Memo2", {377, 6, 309, 385}, "PopupMenu2", "MenuItem1", &TCOM_DBG_Form::MenuItem1Click},
        {"Memo3", {6, 397, 365, 89}, "PopupMenu3", "MenuItem2", &TCOM_DBG_Form::MenuItem2Click},
        {"Memo4", {377, 397, 309, 89}, "PopupMenu4", "MenuItem3", &TCOM_DBG_Form::MenuItem3Click},
    };
    for (int i = 0; i < 4; ++i) {
        const PaneLayout& layout = paneLayouts[i];
        auto* pane = new QPlainTextEdit(this);
        pane->setObjectName(layout.name);
        pane->setGeometry(layout.place);
        pane->setReadOnly(true);
        pane->setFont(font);
        // Long lines (the state dump's) wrap, so they are read without scrolling sideways.
        pane->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        pane->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        pane->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        QPalette p = pane->palette();
        p.setColor(QPalette::Base, QColor(4, 153, 225));
        p.setColor(QPalette::Text, Qt::white);
        pane->setPalette(p);

        auto* menu = new QMenu(pane);
        menu->setObjectName(layout.menu);
        QAction* clear = menu->addAction(QString::fromUtf8("czyść"));
        clear->setObjectName(layout.item);
        connect(clear, &QAction::triggered, this, layout.clear);
        pane->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(pane, &QWidget::customContextMenuRequested, menu,
                [menu, pane](const QPoint& at) { menu->popup(pane->mapToGlobal(at)); });
        m_panes[i] = pane;
    }
    m_panes[0]->setMaximumBlockCount(kTrafficLines);

    const char* const captions[4] = {
        "złe sumy kontrolne:", "odrzucone bloki:", "ucięte ramki:", "pomiary bez odpowiedzi:"};
    const char* const names[4] = {"BadChecksums", "BlocksDropped", "PartialFrames",
                                  "UnansweredRequests"};
    auto* row = new QWidget(this);
    row->setObjectName("LinkCounters");
    row->setGeometry(6, kPanesHeight, 680, kCountersHeight - 2);
    row->setToolTip(QString::fromUtf8("od otwarcia portu"));
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    for (int i = 0; i < 4; ++i) {
        const QString caption = QString::fromUtf8(captions[i]);
        auto* value = new ValueLabel(caption, QStringLiteral("0"), row);
        value->setObjectName(names[i]);
        value->setMinimumWidth(40);
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        value->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        auto* label = new QLabel(caption, row);
        label->setBuddy(value);
        layout->addWidget(label);
        layout->addWidget(value);
        // A pair apart from the next by more than its caption from its value; no more, or the
        // last caption loses its end in the window's fixed width.
        if (i < 3)
            layout->addSpacing(2);
        m_counters[i] = value;
    }
    layout->addStretch(1);
}

void TCOM_DBG_Form::showCounters(const LinkCounters& counters)
{
    if (!isShown())
        return;
    const std::uint64_t values[4] = {counters.badChecksums, counters.blocksDropped,
                                     counters.partialFrames, counters.unanswered()};
    for (int i = 0; i < 4; ++i)
        m_counters[i]->setText(QString::number(values[i]));
}

QPlainTextEdit* TCOM_DBG_Form::pane(int n) const
{
    return n >= 1 && n <= 4 ? m_panes[n - 1] : nullptr;
}

void TCOM_DBG_Form::appendLine(const std::string& line)
{
    if (isShown())
        m_panes[0]->appendPlainText(QString::fromStdString(line));
}

void TCOM_DBG_Form::showState(const std::vector<std::string>& lines)
{
    if (!isShown())
        return;
    QStringList text;
    for (const std::string& line : lines)
        text << QString::fromStdString(line);
    m_panes[1]->setPlainText(text.join('\n'));
}

void TCOM_DBG_Form::czy1Click()
{
    m_panes[0]->clear();
}

void TCOM_DBG_Form::MenuItem1Click()
{
    m_panes[1]->clear();
}

void TCOM_DBG_Form::MenuItem2Click()
{
    m_panes[2]->clear();
}

void TCOM_DBG_Form::MenuItem3Click()
{
    m_panes[3]->clear();
}

} // namespace kx
