#include "graph_support.h"

namespace vro::graphtest {

std::unique_ptr<TRecording> MakeRecording(int channels, int samples, bool minmax)
{
    auto r = std::make_unique<TRecording>();
    r->ChannelCount = channels;
    r->RecordCount = samples;
    r->HasMinMaxValues = minmax;
    r->SampleRate = 1;
    r->CreateChannelObjects();
    for (int c = 0; c < channels; ++c) {
        auto& ch = r->Channel(c);
        ch.DeviceName = "Channel " + std::to_string(c);
        ch.MeasureUnit = "bar";
        ch.Decimals = 1;
        ch.FullLoRange = ch.CurrentLoRange = 0;
        ch.FullHiRange = ch.CurrentHiRange = 1000;
        for (int i = 0; i < samples; ++i) {
            ch.Values[static_cast<std::size_t>(i)] = 10 * i + c;
            if (minmax) {
                ch.MinValues[static_cast<std::size_t>(i)] = 10 * i + c - 5;
                ch.MaxValues[static_cast<std::size_t>(i)] = 10 * i + c + 5;
            }
        }
    }
    r->LeftYAxis = 1;
    r->RightYAxis = 0;
    r->Time->ResetRange();
    return r;
}

} // namespace vro::graphtest
