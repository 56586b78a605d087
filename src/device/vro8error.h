// EVro8Device: the recorder's own failures, as opposed to the connector's
// communication errors (which pass through the device layer unchanged).
// Each carries the kind of failure, the recorder's status value where one
// was answered, and the message text the rest of the program shows.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace vro {

enum class EVro8Status {
    DeleteFile,            // R 33 answered a status other than 0
    LoadRecordingStruct,   // R 20
    LoadRecordingData,     // R 22
    SaveSetup,             // R 25
    LoadSetup,             // R 24
    IllegalHeader,         // a recording header failed its checks (or came short)
    IllegalSizeReceived,   // a synchronous sample download of the wrong size
    UnexpectedMessageLen,  // a status answer that was not exactly two bytes, or a short record
    IllegalChannelCount,   // R 10 reported a count the channel list cannot hold
    UnsupportedComVersion, // the identification names a layout outside 1..5
    NotIdentified,         // a command that needs ComVersion before R 40 was read
    IndexOutOfRange,       // an entry or channel index the lists do not hold
    ReadPastEnd,           // a sequential sample reader ran past DataSize
    DirectoryIncomplete,   // R 32 delivered fewer entries than R 30 / R 31 announced
    OnlineParameters,      // the online stream was configured outside its limits
    TransferIncomplete,    // a multi-packet read stopped early
};

class EVro8Device : public std::runtime_error {
public:
    EVro8Device(EVro8Status kind, std::string message, int status = 0, std::string finding = {})
        : std::runtime_error(std::move(message)), kind_(kind), status_(status), finding_(std::move(finding))
    {}
    EVro8Status Kind() const { return kind_; }
    // The recorder's status value for the status kinds, 0 otherwise.
    int Status() const { return status_; }
    // For "Illegal Header": which check failed ("Illegal RecordCount 0", ...).
    const std::string& Finding() const { return finding_; }

private:
    EVro8Status kind_;
    int status_;
    std::string finding_;
};

// Format("%5d: <what>", status), the form of every recorder status error.
std::string Vro8StatusText(int status, const char* what);

// Raises the status error of `kind` when status is not 0.
void CheckVro8Status(int status, EVro8Status kind);

// The "what" part of a status kind ("DeleteFile", "LoadRecordingStruct", ...).
const char* Vro8StatusWhat(EVro8Status kind);

} // namespace vro
