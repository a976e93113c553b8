#include "app/SettingsBinding.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include "app/TForm1.h"
#include "ui/chart/ChartPage.h"
#include "ui/measure/IndicatorPage.h"
#include "ui/register/RegisterPage.h"

namespace kx {

namespace {

QString configPath(const QString& dir)
{
    return QDir(dir).filePath("config.ini");
}

} // namespace

SettingsLoad loadSettingsFile(const QString& dir, Settings& s)
{
    QFile file(configPath(dir));
    if (!file.exists())
        return SettingsLoad::Missing;
    if (!file.open(QIODevice::ReadOnly))
        return SettingsLoad::Unreadable;
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return SettingsLoad::Unreadable;
    s = readSettings(
        std::string_view(content.constData(), static_cast<std::size_t>(content.size())), s);
    return SettingsLoad::Read;
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
    main.indicatorPage()->setActive({s.Cz_0, s.Cz_1, s.Cz_2});
    main.indicatorPage()->setSampling({s.Real_Time_Sample, s.Sample_rate});
    main.chartPage()->setPaging({s.Paging, s.Paging_tracking, s.Sample_per_page});
    main.registerPage()->setOptions({s.Autorejestracja, s.Rejestracja_Cz0, s.Rejestracja_Cz1,
                                     s.Rejestracja_Cz2, s.Rejestracja_PK1, s.Rejestracja_PK2,
                                     s.Rejestracja_data, s.Rejestracja_godz, s.Rejestracja_czas,
                                     s.Rejestracja_index, s.Rejestracja_kolor});
    main.link().PortName = QString::fromStdString(s.PortName);
    main.lineSettings() = s.LineSettings;
}

Settings collectSettings(TForm1& main)
{
    Settings s;
    const ActiveValues active = main.indicatorPage()->active();
    s.Cz_0 = active.y;
    s.Cz_1 = active.x1;
    s.Cz_2 = active.x2;
    const SamplingSettings sampling = main.indicatorPage()->sampling();
    s.Real_Time_Sample = sampling.continuous;
    s.Sample_rate = sampling.periodMs;
    const ChartPage::Paging paging = main.chartPage()->paging();
    s.Paging = paging.on;
    s.Paging_tracking = paging.tracking;
    s.Sample_per_page = paging.samplesPerPage;
    const RegisterPage::Options reg = main.registerPage()->options();
    s.Autorejestracja = reg.autoRead;
    s.Rejestracja_Cz0 = reg.y;
    s.Rejestracja_Cz1 = reg.x1;
    s.Rejestracja_Cz2 = reg.x2;
    s.Rejestracja_PK1 = reg.pk1;
    s.Rejestracja_PK2 = reg.pk2;
    s.Rejestracja_data = reg.date;
    s.Rejestracja_godz = reg.hour;
    s.Rejestracja_czas = reg.time;
    s.Rejestracja_index = reg.index;
    s.Rejestracja_kolor = reg.colour;
    s.PortName = main.link().PortName.toStdString();
    s.LineSettings = main.lineSettings();
    return s;
}

} // namespace kx
