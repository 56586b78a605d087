#include "device/live/currentvalues.h"

#include "core/text/texts.h"
#include "core/values/vro8utils.h"
#include "device/vro8device.h"

namespace vro {
namespace {

std::string ValueText(const std::optional<std::int16_t>& v, int decimals)
{
    return v ? RawToText(*v, decimals) : std::string("---");
}

} // namespace

std::vector<TChannelValueText> ChannelValueTexts(const TVro8Measurement& m)
{
    std::vector<TChannelValueText> out;
    out.reserve(static_cast<std::size_t>(m.ChannelCount()));
    for (int i = 0; i < m.ChannelCount(); ++i) {
        const auto& c = m.Channel(i);
        TChannelValueText t{c.Name, c.Unit, ValueText(m.Value(i), c.Decimals), "---", "---"};
        if (m.MinMaxMode()) {
            t.Min = ValueText(m.Min(i), c.Decimals);
            t.Max = ValueText(m.Max(i), c.Decimals);
        }
        out.push_back(std::move(t));
    }
    return out;
}

TCurrentValuesTable BuildCurrentValuesTable(const TVro8Measurement& m)
{
    TCurrentValuesTable t;
    t.ShowMin = t.ShowMax = m.MinMaxMode();
    t.ColumnCount = 3 + (t.ShowMin ? 1 : 0) + (t.ShowMax ? 1 : 0);
    t.ResetVisible = t.ShowMin || t.ShowMax;
    std::vector<std::string> header{text(503), text(504), text(505)};
    if (t.ShowMin)
        header.push_back(text(506));
    if (t.ShowMax)
        header.push_back(text(507));
    t.Rows.push_back(std::move(header));
    t.Channels = ChannelValueTexts(m);
    for (const auto& c : t.Channels) {
        std::vector<std::string> row{c.Name, c.Value, c.Unit};
        if (t.ShowMin)
            row.push_back(c.Min);
        if (t.ShowMax)
            row.push_back(c.Max);
        t.Rows.push_back(std::move(row));
    }
    if (t.Channels.empty())
        t.Rows.emplace_back(static_cast<std::size_t>(t.ColumnCount), "---");
    return t;
}

const TCurrentValuesTable& TCurrentValues::Open()
{
    m_.ReadChannels();
    return Update();
}

const TCurrentValuesTable& TCurrentValues::Update()
{
    if (resetRequested_) {
        resetRequested_ = false;
        m_.ResetMinMax();
    }
    m_.ReadCurrentValues();
    table_ = BuildCurrentValuesTable(m_);
    return table_;
}

} // namespace vro
