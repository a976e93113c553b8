#include "ui/common/SaveProgress.h"

#include <QProgressDialog>

#include <algorithm>
#include <climits>

namespace kx {

namespace {

// A save shorter than this shows no progress.
int showAfterMs = 500;

} // namespace

SaveProgress::SaveProgress(const QString& text, std::int64_t total, std::int64_t header,
                           QWidget* window)
    : m_total(std::max<std::int64_t>(total, 0)), m_header(header)
{
    while (m_total / m_scale > INT_MAX)
        m_scale *= 2;
    m_dialog =
        std::make_unique<QProgressDialog>(text, QString(), 0, int(m_total / m_scale), window);
    m_dialog->setWindowModality(Qt::WindowModal);
    m_dialog->setMinimumDuration(showAfterMs);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    m_dialog->setValue(0);
}

SaveProgress::~SaveProgress() = default;

void SaveProgress::setShowAfterMs(int ms)
{
    showAfterMs = ms;
}

void SaveProgress::written(std::string_view bytes)
{
    m_lines += std::count(bytes.begin(), bytes.end(), '\n');
    m_dialog->setValue(int(std::clamp<std::int64_t>(m_lines - m_header, 0, m_total) / m_scale));
}

} // namespace kx
