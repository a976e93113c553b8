#pragma once
// The main window: menu, the four tab pages and, as later pages grow, the link state and the
// timers. It assembles pages; each page's logic lives in its own class.

#include <QMainWindow>

class QAction;
class QActionGroup;
class QMenu;
class QTabWidget;

namespace kx {

class TO_programieForm;
class TKonigLiniiForm;
class TCOM_DBG_Form;
class TAsystentForm;

class TForm1 : public QMainWindow
{
    Q_OBJECT

public:
    static constexpr int kClientWidth = 947;
    static constexpr int kClientHeight = 638;

    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // The secondary windows are created after the main window; they are handed over here.
    struct Windows
    {
        TO_programieForm* about = nullptr;
        TKonigLiniiForm* lines = nullptr;
        TCOM_DBG_Form* monitor = nullptr;
        TAsystentForm* wizard = nullptr;
    };
    void attachWindows(const Windows& windows);

    QTabWidget* pages() const { return m_pages; }

public slots:
    void zakocz1Click();
    void wizard1Click();
    void debugger1Click();
    void orpogramie1Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildMenu();
    void buildPages();
    QAction* addAction(QMenu* menu, const char* objectName, const QString& text,
                       bool visible = true);

    QTabWidget* m_pages = nullptr;
    Windows m_windows;
    bool m_centred = false;
};

}  // namespace kx
