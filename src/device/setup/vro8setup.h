// TVro8Setup: the recorder's whole setup (the six blocks and the smart-sensor
// flags), moved between the recorder, its settings directory and setup files
// (".vxsf", XML with root "Setupconfiguration").
//
// A setup made on a device takes the device's layout version at every call
// and reaches the recorder through the device's setup-block access; a setup
// made with a layout version alone serves files and descriptions only (the
// recorder operations raise).
//
// Reading from the recorder is all or nothing per call: every block is read
// into a copy first, and only when all reads succeeded does the setup take
// them, so a failed read raises and leaves the previous contents.
// LoadFromFile likewise reads the whole file before taking it.
#pragma once

#include "device/setup/vro8setupblocks.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace vro {

class TVro8Device;
struct TVro8ChannelDescription;
enum class EVro8Block : std::uint8_t;

// A setup file that cannot be taken (a number beyond its field, no
// "Setupconfiguration" element ...). XML errors pass as EXmlError.
class EVro8SetupFile : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The setup's own contents, comparable as a whole.
struct TVro8SetupData {
    TVro8SensorSetup Sensors;
    TVro8TriggerSetup Triggers;
    TVro8RecordingSetup Recording;
    TVro8BaseSetup Base;
    TVro8DisplaySetup Display;
    TVro8CanSetup Can;
    bool operator==(const TVro8SetupData& o) const
    {
        return Sensors == o.Sensors && Triggers == o.Triggers && Recording == o.Recording && Base == o.Base &&
               Display == o.Display && Can == o.Can;
    }
};

class TVro8Setup {
public:
    explicit TVro8Setup(TVro8Device& device);
    explicit TVro8Setup(int comVersion);
    // The description hooks refer to this object: no copies (copy Data instead).
    TVro8Setup(const TVro8Setup&) = delete;
    TVro8Setup& operator=(const TVro8Setup&) = delete;

    int ComVersion() const;
    bool HasDevice() const { return device_ != nullptr; }
    // The recorder this setup is attached to; null for a file's setup.
    TVro8Device* Device() const { return device_; }

    TVro8SetupData Data;
    TVro8SensorSetup& SensorSetup() { return Data.Sensors; }
    TVro8TriggerSetup& TriggerSetup() { return Data.Triggers; }
    TVro8RecordingSetup& RecordingSetup() { return Data.Recording; }
    TVro8BaseSetup& BaseSetup() { return Data.Base; }
    TVro8DisplaySetup& DisplaySetup() { return Data.Display; }
    TVro8CanSetup& CanSetup() { return Data.Can; }

    // ---- recorder ----
    // Sensors, triggers, recording, base, display; the smart flags for layouts
    // above 1; CAN for layout 4.
    void ReadAll();
    // Sensors, triggers, recording, base, display; CAN for layout 4.
    void WriteAll();
    // One block, all or nothing like ReadAll: the sensor block comes with the
    // smart flags (layouts above 1). The CAN block exists on layout 4 only
    // (elsewhere both raise).
    void ReadBlock(EVro8Block block);
    void WriteBlock(EVro8Block block);
    // R 50 into the sensor block's flags (layout 1 clears them).
    void ReadSmartFlags();
    // WriteAll, then R 25 (status errors "%5d: Save Setup To Directory").
    void SaveToDirectory(const std::string& name, std::uint32_t number);
    // R 24 for setup-list entry Index ("%5d: Load Setup From Directory"), then ReadAll.
    void LoadFromDirectory(int index);

    // ---- files ----
    void SaveToFile(const std::filesystem::path& path) const;
    // The file's text (what SaveToFile writes).
    std::string SaveToString() const;
    void LoadFromFile(const std::filesystem::path& path);
    void LoadFromString(std::string content);
    // The "ComVersion" attribute of a setup file; empty when it has none.
    static std::optional<int> FileComVersion(const std::filesystem::path& path);

    // ---- descriptions ----
    // The channel on an input (and sub-channel unless 0), as the recorder's
    // current-value list has it. A setup on a device uses the device's list;
    // FindChannel replaces it (a file shown without a recorder has none).
    std::function<std::optional<TVro8ChannelDescription>(int input, int subChannel)> FindChannel;
    // The smart sensor's identification text (R 52 on a device; empty without one).
    std::function<std::string(int input)> SmartSensorText;

    std::string SensorDescription(int index) const;
    std::string TriggerDescription(int index) const;
    std::string RecordingDescription() const;
    std::string BaseDescription() const;
    std::string DisplayDescription() const;
    std::string CanMessageDescription(int index, bool ignoreActive) const;
    std::string SignalTypeName(int index) const;

private:
    void ReadInto(TVro8SetupData& data);
    TVro8Device& RequireDevice() const;
    // ComVersion, raising when a device's setup is used before identification.
    int Layout() const;

    TVro8Device* device_ = nullptr;
    int comVersion_ = 0;
};

} // namespace vro
