// The connect-and-identify step: the port is opened (when it is not), the
// ESC cancel sequence ends anything the recorder may still be sending, the
// buffers are cleared and the identification is read with R 40. It never
// raises: the outcome tells what happened, with the message of the failure.
// A recorder whose layout version lies outside 1..5 is refused with a
// message naming the version. Written to move into the device manager as
// its Connect step unchanged.
#pragma once

#include "device/vro8device.h"

#include <string>

namespace vro {

struct TVro8ConnectResult {
    bool Connected = false;
    std::string IdentText; // at most 14 characters, up to the first 0 byte
    int ComVersion = 0;    // as reported (also when refused)
    std::string Error;     // the failure's message when not connected
};

// Sends the cancel sequence, waits 200 ms, clears the buffers and reads the
// identification on the open port.
TVro8ConnectResult Vro8Connect(TVro8Device& device);
// Opens the connector's port first (when it is not open), then Vro8Connect.
TVro8ConnectResult Vro8OpenAndConnect(TVro8Device& device);

} // namespace vro
