#include "app/SettingsBinding.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSpinBox>

#include "app/TForm1.h"
#include "measure/ChartPage.h"
#include "measure/IndicatorPage.h"
#include "measure/RegisterPage.h"

namespace kx {

namespace {

QString configPath(const QString& dir)
{
    return QDir(dir).filePath("config.ini");
}

// Each check box the file keeps, with its place in Settings.
struct CheckBinding
{
    bool Settings::*field;
    QCheckBox* box;
};

std::vector<CheckBinding> checkBoxes(TForm1& main)
{
    IndicatorPage* ind = main.indicatorPage();
    ChartPage* chart = main.chartPage();
    RegisterPage* reg = main.registerPage();
    return {
        {&Settings::Cz_0, ind->yActive()},
        {&Settings::Cz_1, ind->x1Active()},
        {&Settings::Cz_2, ind->x2Active()},
        {&Settings::Real_Time_Sample, ind->continuousSampling()},
        {&Settings::Paging, chart->pagingBox()},
        {&Settings::Paging_tracking, chart->trackingBox()},
        {&Settings::Autorejestracja, reg->autoReadBox()},
        {&Settings::Rejestracja_Cz0, reg->regYBox()},
        {&Settings::Rejestracja_Cz1, reg->regX1Box()},
        {&Settings::Rejestracja_Cz2, reg->regX2Box()},
        {&Settings::Rejestracja_PK1, reg->regPK1Box()},
        {&Settings::Rejestracja_PK2, reg->regPK2Box()},
        {&Settings::Rejestracja_data, reg->dateBox()},
        {&Settings::Rejestracja_godz, reg->hourBox()},
        {&Settings::Rejestracja_czas, reg->timeBox()},
        {&Settings::Rejestracja_index, reg->indexBox()},
        {&Settings::Rejestracja_kolor, reg->colourBox()},
    };
}

} // namespace

bool loadSettingsFile(const QString& dir, Settings& s)
{
    QFile file(configPath(dir));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray content = file.readAll();
    s = readSettings(
        std::string_view(content.constData(), static_cast<std::size_t>(content.size())), s);
    return true;
}

bool saveSettingsFile(const QString& dir, const Settings& s)
{
    QSaveFile file(configPath(dir));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const std::string text = writeSettings(s);
    if (file.write(text.data(), static_cast<qint64>(text.size())) != qint64(text.size()))
        return false;
    return file.commit();
}

void applySettings(const Settings& s, TForm1& main)
{
    for (const CheckBinding& b : checkBoxes(main))
        b.box->setChecked(s.*b.field);
    // The box keeps its own range: a period below 10 shows as 10.
    main.indicatorPage()->samplingPeriod()->setValue(s.Sample_rate);
    main.chartPage()->samplesPerPage()->setValue(s.Sample_per_page);
    main.link().PortName = QString::fromStdString(s.PortName);
    main.setLineSettings(s.LineSettings);
}

Settings collectSettings(TForm1& main)
{
    Settings s;
    for (const CheckBinding& b : checkBoxes(main))
        s.*b.field = b.box->isChecked();
    s.Sample_rate = main.indicatorPage()->samplingPeriod()->value();
    s.Sample_per_page = main.chartPage()->samplesPerPage()->value();
    s.PortName = main.link().PortName.toStdString();
    s.LineSettings = main.lineSettings();
    return s;
}

} // namespace kx
