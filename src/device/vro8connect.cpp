#include "device/vro8connect.h"

#include "link/dvxv24connector.h"

#include <chrono>
#include <thread>

namespace vro {

TVro8ConnectResult Vro8Connect(TVro8Device& device)
{
    TVro8ConnectResult r;
    device.ForgetIdentification();
    try {
        TDvxV24Connector& c = device.Connector();
        c.SendCancelSequence();
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        c.ClearBuffers();
        try {
            device.ReadIdentification();
        } catch (const EVro8Device& e) {
            r.ComVersion = device.Ident().ComVersion;
            r.IdentText = device.Ident().IdentText;
            r.Error = e.what();
            return r;
        }
        r.IdentText = device.Ident().IdentText;
        r.ComVersion = device.ComVersion();
        r.Connected = !r.IdentText.empty();
        if (!r.Connected)
            r.Error = "The recorder answered with an empty identification";
    } catch (const std::exception& e) {
        r.Error = e.what();
    }
    if (!r.Connected)
        device.ForgetIdentification();
    return r;
}

TVro8ConnectResult Vro8OpenAndConnect(TVro8Device& device)
{
    try {
        if (!device.Connector().IsOpen())
            device.Connector().Open();
    } catch (const EDvxV24Error& e) {
        TVro8ConnectResult r;
        r.Error = e.Detail().empty() ? e.what() : std::string(e.what()) + ": " + e.Detail();
        return r;
    } catch (const std::exception& e) {
        TVro8ConnectResult r;
        r.Error = e.what();
        return r;
    }
    return Vro8Connect(device);
}

} // namespace vro
