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
    case 0: return Txt(293); // 293: Simple measurement curve
    case 1: return Txt(294); // 294: Measurement curve with trigger
    case 2: return Txt(295); // 295: Event log
    case 3: return Txt(307); // 307: Dvx-Log
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
    heading(Txt(292)); // 292: General
    if (!r.SensorId.empty())
        row(Txt(308), S(r.SensorId));         // 308: Sensor
    row(Txt(296), TypeName(r.RecordingType)); // 296: Recording
    if (!r.HasStates && r.Time && !r.Time->GetUnit().empty()) {
        row(Txt(302), S(r.Time->GetSampleIntervalText()));                                     // 302: Sampling rate
        row(Txt(305), S(r.Time->GetDurationText()) + QLatin1Char(' ') + S(r.Time->GetUnit())); // 305: Total duration
    }
    row(Txt(297), QString::number(r.ChannelCount)); // 297: Sensors
    row(Txt(298), QString::number(r.RecordCount));  // 298: Records
    if (r.StartTime > 0)
        row(Txt(299), S(vro::DvxDateTimeToText(r.StartTime))); // 299: Started on
    if (r.RecordingType != 3 && r.StopTime > 0)
        row(Txt(300), S(vro::DvxDateTimeToText(r.StopTime))); // 300: Completed on
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
            // 301: Measurement range
            row(Txt(301), S(vro::RawToText(c.DeviceLoRange, c.Decimals)) + QStringLiteral(" .. ") +
                              S(vro::RawToText(c.DeviceHiRange, c.Decimals)) + QLatin1Char(' ') + S(c.MeasureUnit));
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace vro::app
