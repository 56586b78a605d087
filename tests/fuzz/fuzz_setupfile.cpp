// The setup-file reader on arbitrary bytes, for every layout: a file is
// either taken whole or refused with an exception that leaves the setup as
// it was; a taken file writes and reads back to the same setup, and every
// description of it can be made.
#include "device/setup/vro8setup.h"

#include <cstdint>
#include <cstdlib>
#include <exception>
#include <string>

using namespace vro;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    for (int v = 1; v <= 5; ++v) {
        TVro8Setup s(v);
        s.Data.Sensors.Sensor(0).SetName("before");
        const TVro8SetupData before = s.Data;
        try {
            s.LoadFromString(input);
        } catch (const std::exception&) {
            if (!(s.Data == before))
                std::abort(); // a refused file changed the setup
            continue;
        }
        for (int i = 0; i < TVro8SensorSetup::kRecords; ++i) {
            (void)s.SensorDescription(i);
            (void)s.SignalTypeName(i);
        }
        for (int e = 0; e < TVro8TriggerSetup::kEvents; ++e)
            (void)s.TriggerDescription(e);
        for (int m = 0; m < TVro8CanSetup::kMessages; ++m)
            (void)s.CanMessageDescription(m, true);
        (void)s.RecordingDescription();
        (void)s.BaseDescription();
        (void)s.DisplayDescription();
        // What was taken survives its own file form.
        const std::string text = s.SaveToString();
        TVro8Setup again(v);
        again.LoadFromString(text);
        if (again.SaveToString() != text)
            std::abort();
    }
    return 0;
}
