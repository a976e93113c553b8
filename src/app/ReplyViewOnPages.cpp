#include "app/MainView.h"

#include "ui/device/DevicePage.h"
#include "ui/measure/IndicatorPage.h"

namespace kx {

MainView::MainView(DevicePage* device, IndicatorPage* indicators)
    : m_device(device), m_indicators(indicators)
{}

void MainView::showConfirmed(Param p, const std::string& text)
{
    m_device->showConfirmed(p, QString::fromStdString(text),
                            isGeometry(p) ? kGeometryOrange : kConfirmedWhite);
}

void MainView::selectMode(int index)
{
    m_device->selectMode(index);
}

void MainView::selectVoltageRange(int byte)
{
    m_device->selectVoltageRange(byte != 0);
}

void MainView::setGaugeMaximum(Gauge g, int maximum)
{
    m_indicators->setGaugeMaximum(g, maximum);
}

void MainView::placeField1Captions(FieldCaptions c)
{
    m_device->placeFieldCaptions(1, c);
}

void MainView::placeField2Captions(FieldCaptions c)
{
    m_device->placeFieldCaptions(2, c);
}

void MainView::showResult(Channel c, const std::string& text)
{
    m_device->showResult(c, QString::fromStdString(text));
}

void MainView::newValues()
{
    if (m_newValues)
        m_newValues();
}

} // namespace kx
