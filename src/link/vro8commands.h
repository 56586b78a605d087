// The recorder's command numbers by function: the one vocabulary of the
// program's side (src/device) and the simulated recorder's side (src/sim).
//
// A request goes to address 'R' (the recorder answers data or a status) or
// 'S' (the recorder takes data and answers a status byte) with a command
// number; the setup blocks use the same number at both addresses. Only the
// numbers live here: what a command carries is laid out and encoded by each
// side on its own, so that one side's mistake in a record cannot hide in
// the other's.
//
// The groups follow the device layer's components (src/device/vro8device.h).
// The enumerations are plain so that a number goes straight into a frame;
// the names are unique across groups.
#pragma once

#include <cstdint>

namespace vro::vro8 {

// Request addresses.
inline constexpr char kRead = 'R';
inline constexpr char kWrite = 'S';

// Identification: R 40 answers the ident record (text, layout version, hardware).
enum EIdentCommand : std::uint8_t { kIdent = 40 };

// Channels and current values.
enum EMeasurementCommand : std::uint8_t {
    kChannelCount = 10,  // R: channel count and the min/max flag
    kChannel = 11,       // R: one channel's description, by index
    kCurrentValues = 12, // R: the current (and min/max) values
    kResetMinMax = 13,   // S: the min/max values start anew
};

// Header and sample download of a stored recording.
enum ERecordingCommand : std::uint8_t {
    kSelectHeader = 20,  // R: selects the header of an entry (handle); status
    kHeader = 21,        // R, multi-packet: the selected header
    kSelectSamples = 22, // R: selects the samples of an entry (handle); status
    kSamples = 23,       // R, multi-packet: the selected samples
};

// The directory of stored recordings and setups (one handle space).
enum EDirectoryCommand : std::uint8_t {
    kRecordingCount = 30, // R: number of recordings; R 32 then lists them
    kSetupCount = 31,     // R: number of stored setups; R 32 then lists them
    kEntries = 32,        // R, multi-packet: the list chosen by R 30 / R 31
    kDeleteEntry = 33,    // R: deletes an entry (handle); status
};

// The live setup blocks (read with R, written with S, same number) and the
// settings directory and smart-sensor commands beside them.
enum ESetupCommand : std::uint8_t {
    kLoadSetup = 24,       // R: a stored setup (handle) becomes the live blocks; status
    kSaveSetup = 25,       // R: the live blocks are stored under a name (and number); status
    kSmartFlags = 50,      // R: one flag per input (layouts above 1)
    kSubChannelText = 51,  // R: a smart sensor's sub-channel text
    kSmartSensorText = 52, // R: a smart sensor's identification
    kSensorBlock = 100,    // R/S, multi-packet
    kTriggerBlock = 101,
    kRecordingBlock = 102,
    kDisplayBlock = 103,
    kBaseBlock = 105,
    kCanBlock = 107, // R/S, multi-packet, layout 4 only
};

// Remote recording: start, stop and the connection check.
enum ERemoteCommand : std::uint8_t {
    kRemoteStart = 106, // S: starts a recording (16-bit repeat flag); one byte means started
    kRemoteStop = 210,  // R: without data stops a recording; with 4 bytes a status ping
};

// The online measurement stream.
enum EOnlineCommand : std::uint8_t {
    kOnlineStart = 104, // S: type, sample rate, repeat flag; the stream runs until ESC
};

// The two firmware areas.
enum EFlashCommand : std::uint8_t {
    kWriteArea0 = 110,   // S, multi-packet
    kReadArea0 = 111,    // R, multi-packet
    kArea0Version = 112, // R: the 14-character version text
    kWriteArea1 = 113,
    kReadArea1 = 114,
    kArea1Version = 115,
};

} // namespace vro::vro8
