#include "app/ReplyViewOnPages.h"

#include "ui/device/DevicePage.h"
#include "ui/measure/IndicatorPage.h"

namespace kx {

ReplyViewOnPages::ReplyViewOnPages(DevicePage* device, IndicatorPage* indicators)
    : m_device(device), m_indicators(indicators)
{}

void ReplyViewOnPages::showConfirmed(Param p, const std::string& text)
{
    m_device->showConfirmed(p, QString::fromStdString(text),
                            isGeometry(p) ? kGeometryOrange : kConfirmedWhite);
}

void ReplyViewOnPages::selectMode(int index)
{
    m_device->selectMode(index);
}

void ReplyViewOnPages::selectVoltageRange(int byte)
{
    m_device->selectVoltageRange(byte != 0);
}

void ReplyViewOnPages::setGaugeMaximum(Gauge g, int maximum)
{
    m_indicators->setGaugeMaximum(g, maximum);
}

void ReplyViewOnPages::placeField1Captions(FieldCaptions c)
{
    m_device->placeFieldCaptions(1, c);
}

void ReplyViewOnPages::placeField2Captions(FieldCaptions c)
{
    m_device->placeFieldCaptions(2, c);
}

void ReplyViewOnPages::showResult(Channel c, const std::string& text)
{
    m_device->showResult(c, QString::fromStdString(text));
}

void ReplyViewOnPages::newValues()
{
    if (m_newValues)
        m_newValues();
}

} // namespace kx
