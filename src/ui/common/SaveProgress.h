#pragma once
// A long save shows how far it has come, once it has taken half a second. While the dialog is
// up it holds the window's other controls still, and each step it moves on lets the rest of
// the program go on (the line, the displays) between the file's chunks.

#include <QString>

#include <cstdint>
#include <memory>
#include <string_view>

class QProgressDialog;
class QWidget;

namespace kx {

class SaveProgress
{
public:
    // total is the number of lines the file holds after its first `header` lines.
    SaveProgress(const QString& text, std::int64_t total, std::int64_t header, QWidget* window);
    ~SaveProgress();
    SaveProgress(const SaveProgress&) = delete;
    SaveProgress& operator=(const SaveProgress&) = delete;

    // The next bytes went to the file: their line ends count.
    void written(std::string_view bytes);

    // How long a save goes before its dialog shows (500 ms); tests set 0 to see it at once.
    static void setShowAfterMs(int ms);

private:
    std::unique_ptr<QProgressDialog> m_dialog;
    std::int64_t m_total;
    std::int64_t m_header;
    std::int64_t m_lines = 0;
    int m_scale = 1; // a dialog counts in an int
};

} // namespace kx
