#pragma once
// What the reply dispatch and the measurement show on the device and indicator tabs: the
// ReplyView that the dispatch draws on, carried out on the main window's pages.

#include <functional>

#include "core/device/ReplyDispatch.h"

namespace kx {

class DevicePage;
class IndicatorPage;

class ReplyViewOnPages : public ReplyView
{
public:
    ReplyViewOnPages(DevicePage* device, IndicatorPage* indicators);

    // Runs for every new measured value (the measurement display).
    void setNewValuesHandler(std::function<void()> handler) { m_newValues = std::move(handler); }

    void showConfirmed(Param p, const std::string& text) override;
    void selectMode(int index) override;
    void selectVoltageRange(int byte) override;
    void setGaugeMaximum(Gauge g, int maximum) override;
    void placeField1Captions(FieldCaptions c) override;
    void placeField2Captions(FieldCaptions c) override;
    void showResult(Channel c, const std::string& text) override;
    void newValues() override;

private:
    DevicePage* m_device;
    IndicatorPage* m_indicators;
    std::function<void()> m_newValues;
};

} // namespace kx
