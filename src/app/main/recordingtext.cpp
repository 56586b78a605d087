#include "app/main/recordingtext.h"

#include "app/look/apptext.h"
#include "core/recording/recording.h"
#include "core/values/vro8utils.h"

#include <QStringList>

namespace vro::app {

namespace {

QString S(const std::string& s) { return QString::fromStdString(s); }

QString TypeName(int type)
{
    switch (type) {
    case 0: return Txt(293);
    case 1: return Txt(294);
    case 2: return Txt(295);
    case 3: return Txt(307);
    default: return {};
    }
}

} // namespace

QString RecordingPropertiesText(const vro::TRecording& r)
{
    QStringList lines;
    auto heading = [&](const QString& t) {
        if (!lines.isEmpty())
            lines << QString();
        lines << t;
    };
    auto row = [&](const QString& label, const QString& value) {
        lines << QStringLiteral("  %1  %2").arg(label.trimmed(), -24).arg(value);
    };
    heading(S(r.GetDisplayFileName()));
    heading(Txt(292));
    if (!r.SensorId.empty())
        row(Txt(308), S(r.SensorId));
    row(Txt(296), TypeName(r.RecordingType));
    if (!r.HasStates && r.Time && !r.Time->GetUnit().empty()) {
        row(Txt(302), S(r.Time->GetSampleIntervalText()));
        row(Txt(305), S(r.Time->GetDurationText()) + QLatin1Char(' ') + S(r.Time->GetUnit()));
    }
    row(Txt(297), QString::number(r.ChannelCount));
    row(Txt(298), QString::number(r.RecordCount));
    if (r.StartTime > 0)
        row(Txt(299), S(vro::DvxDateTimeToText(r.StartTime)));
    if (r.RecordingType != 3 && r.StopTime > 0)
        row(Txt(300), S(vro::DvxDateTimeToText(r.StopTime)));
    for (const std::string& info : r.InfoStrings) {
        const QString line = S(info);
        if (line.startsWith(QLatin1Char('@'))) {
            heading(line.mid(1));
            continue;
        }
        const QStringList parts = line.split(QLatin1Char('|'));
        row(parts.value(0).trimmed(), parts.value(1).trimmed());
    }
    for (int i = 0; i < r.ChannelCount; ++i) {
        const vro::TRecordingSensorWrapper& c = r.Channel(i);
        heading(S(c.GetLongName()));
        if (c.DeviceLoRange != vro::NoValue && c.DeviceHiRange != vro::NoValue)
            row(Txt(301), S(vro::RawToText(c.DeviceLoRange, c.Decimals)) + QStringLiteral(" .. ") +
                              S(vro::RawToText(c.DeviceHiRange, c.Decimals)) + QLatin1Char(' ') + S(c.MeasureUnit));
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace vro::app
