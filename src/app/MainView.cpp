#include "app/MainView.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

#include "device/DevicePage.h"
#include "measure/CGauge.h"
#include "measure/IndicatorPage.h"

namespace kx {

MainView::MainView(DevicePage* device, IndicatorPage* indicators)
    : m_device(device), m_indicators(indicators)
{}

CGauge* MainView::gauge(Gauge g) const
{
    switch (g) {
    case Gauge::Y:
        return m_indicators->yBar();
    case Gauge::X1:
        return m_indicators->x1Bar();
    case Gauge::X2:
        return m_indicators->x2Bar();
    case Gauge::RightHalf:
        return m_indicators->rightHalfBar();
    case Gauge::LeftHalf:
        return m_indicators->leftHalfBar();
    }
    return nullptr;
}

void MainView::showConfirmed(Param p, const std::string& text)
{
    QLineEdit* box = m_device->editFor(p);
    if (!box)
        return;
    box->setText(QString::fromStdString(text));
    DevicePage::setBoxColour(box, isGeometry(p) ? kGeometryOrange : kConfirmedWhite);
}

void MainView::selectMode(int index)
{
    m_device->modeCombo()->setCurrentIndex(index);
}

void MainView::selectVoltageRange(int byte)
{
    (byte != 0 ? m_device->range5V() : m_device->range10V())->setChecked(true);
}

void MainView::setGaugeMaximum(Gauge g, int maximum)
{
    CGauge* bar = gauge(g);
    // The left half-bar is drawn from its far end: full means empty. Until a value has
    // moved it, keep it empty across a new range instead of showing a false deflection.
    const bool leftAtRest = g == Gauge::LeftHalf && bar->progress() == bar->maxValue();
    bar->setMaxValue(maximum);
    if (leftAtRest)
        bar->setProgress(maximum);
}

void MainView::placeField1Captions(FieldCaptions c)
{
    m_device->placeField1Captions(c.minLeft, c.maxLeft);
}

void MainView::placeField2Captions(FieldCaptions c)
{
    m_device->placeField2Captions(c.maxLeft, c.minLeft);
}

void MainView::showResult(Channel c, const std::string& text)
{
    m_device->resultBox(c)->setText(QString::fromStdString(text));
}

void MainView::newValues()
{
    if (m_newValues)
        m_newValues();
}

} // namespace kx
