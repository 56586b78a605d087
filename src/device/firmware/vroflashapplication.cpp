#include "device/firmware/vroflashapplication.h"

#include "device/vro8device.h"
#include "link/dvxv24connector.h"

#include <chrono>
#include <thread>

namespace vro {

void TVroFlashApplication::LoadHex(const std::vector<std::string>& lines, std::uint32_t waitMs)
{
    TVro8HexImage& slot = file_[Index(area_)];
    slot = {};
    slot = LoadHexImage(area_, lines);
    if (waitMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
}

void TVroFlashApplication::Write()
{
    const std::size_t i = Index(area_);
    written_[i] = 0;
    if (file_[i].Image.empty())
        throw EVro8Device(EVro8Status::UnexpectedMessageLen,
                          "No firmware image loaded for area " + std::to_string(area_));
    TDvxV24Connector& c = flash_.Device.Connector();
    try {
        flash_.WriteArea(area_, file_[i].Image);
    } catch (...) {
        written_[i] = c.GetProgressDone();
        throw;
    }
    written_[i] = c.GetProgressDone();
}

bool TVroFlashApplication::ReadBack()
{
    readComplete_[Index(area_)] = flash_.ReadArea(area_, readBack_[Index(area_)]);
    return readComplete_[Index(area_)];
}

std::string TVroFlashApplication::ReadVersion()
{
    versionAnswer_ = flash_.ReadVersion(area_);
    return versionAnswer_;
}

bool TVroFlashApplication::Verify()
{
    const bool complete = ReadBack();
    const std::size_t i = Index(area_);
    return complete && !file_[i].Image.empty() && ImagesEqual(area_, file_[i].Image, readBack_[i]);
}

void TVroFlashApplication::DiscardImages()
{
    file_ = {};
    readBack_ = {};
    written_ = {};
    readComplete_ = {};
}

bool TVroFlashApplication::ImagesEqual(int area, const std::vector<std::uint8_t>& file,
                                       const std::vector<std::uint8_t>& readBack)
{
    if (file.size() != readBack.size())
        return false;
    for (std::size_t k = 0; k < file.size(); ++k) {
        if (file[k] == readBack[k])
            continue;
        // The recorder keeps its own values in bytes 20..23 of area 1.
        if (area != 0 && k >= 20 && k <= 23)
            continue;
        return false;
    }
    return true;
}

} // namespace vro
