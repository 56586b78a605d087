#include "recording_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

namespace vro::test {

std::unique_ptr<TRecording> MakeRecording(const TRecordingShape& shape)
{
    auto r = std::make_unique<TRecording>();
    r->ChannelCount = shape.Channels;
    r->RecordCount = shape.Records;
    r->HasMinMaxValues = shape.MinMax;
    r->HasStates = shape.States;
    r->HasTimeStamps = shape.Stamps || shape.SubTimes;
    r->HasSubTimes = shape.SubTimes;
    r->SampleRate = 9;
    r->CreateChannelObjects();
    for (int c = 0; c < shape.Channels; ++c) {
        TRecordingSensorWrapper& ch = r->Channel(c);
        ch.DeviceName = "Channel " + std::string(1, static_cast<char>('A' + c));
        ch.MeasureUnit = "bar";
        ch.Decimals = 2;
        ch.Has32BitSize = shape.Wide;
        ch.DeviceLoRange = ch.FullLoRange = -1000;
        ch.DeviceHiRange = ch.FullHiRange = 30000;
        ch.ResetCurrentRange();
        ch.SetColorIndex(c);
        for (std::int32_t k = 0; k < shape.Records; ++k) {
            const std::int32_t v = (shape.Wide ? 100000 : 1000) * c + k;
            ch.Values[static_cast<std::size_t>(k)] = v;
            if (shape.MinMax) {
                ch.MinValues[static_cast<std::size_t>(k)] = v - 1;
                ch.MaxValues[static_cast<std::size_t>(k)] = v + 1;
            }
        }
    }
    for (std::int32_t k = 0; k < shape.Records; ++k) {
        if (r->HasTimeStamps)
            r->Time->TimeStamps[static_cast<std::size_t>(k)] = 100000 + k;
        if (shape.SubTimes)
            r->Time->SubTimes->Values[static_cast<std::size_t>(k)] = (k * 37) % 10000;
        if (shape.States)
            r->State->States[static_cast<std::size_t>(k)] = static_cast<std::uint16_t>(k % 16);
    }
    r->Time->ResetRange();
    r->NameConfirmed = true;
    return r;
}

std::unique_ptr<TRecording> Plain(std::int32_t records, int channels)
{
    TRecordingShape shape;
    shape.Records = records;
    shape.Channels = channels;
    return MakeRecording(shape);
}

std::string ReplaceOnce(std::string bytes, const std::string& from, const std::string& to)
{
    const auto at = bytes.find(from);
    if (at == std::string::npos)
        throw std::invalid_argument("text to replace not found: " + from);
    return bytes.replace(at, from.size(), to);
}

std::unique_ptr<TRecording> LoadBytes(const std::string& bytes)
{
    auto r = std::make_unique<TRecording>();
    r->LoadFromMemory({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, "memory.vxrf");
    return r;
}

std::string TempFolder(const std::string& name)
{
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    auto dir = std::filesystem::temp_directory_path() /
               ("vro-recording-" + std::string(info->test_suite_name()) + "-" + info->name() + "-" + name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string();
}

} // namespace vro::test
