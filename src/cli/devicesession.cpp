#include "cli/devicesession.h"

#include "device/vro8connect.h"
#include "link/dvxporttable.h"

#include <atomic>
#include <csignal>
#include <cstdio>

namespace vro::cli {

namespace {

std::atomic<bool> gInterrupted{false};
std::atomic<TDvxV24Connector*> gConnector{nullptr};
std::atomic<bool> gCancelsExchange{true};
static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<TDvxV24Connector*>::is_always_lock_free);

extern "C" void OnInterrupt(int)
{
    // Only lock-free atomic stores: safe in a signal handler. The connector
    // tests its cancel flag between exchanges.
    gInterrupted.store(true);
    if (!gCancelsExchange.load())
        return;
    if (TDvxV24Connector* c = gConnector.load())
        c->Cancel();
}

} // namespace

TDeviceSession::TDeviceSession(const std::string& port, std::int32_t baud)
{
    // The port layer opens ports by number: the path gets one.
    auto& table = TDvxPortTable::Global();
    const auto known = table.IndexOf(port);
    const std::int32_t index = known ? *known : table.AssignFree(port);
    connector_ = std::make_unique<TDvxV24Connector>();
    connector_->SetPortIndex(index);
    connector_->SetBaudrate(baud);
    device_ = std::make_unique<TVro8Device>(*connector_);
}

namespace {
std::string RequiredPort(TArgs& args)
{
    const auto port = args.Option("--port");
    if (!port)
        throw EUsage("--port PATH is required");
    return *port;
}
} // namespace

TDeviceSession::TDeviceSession(TArgs& args)
    : TDeviceSession(RequiredPort(args), static_cast<std::int32_t>(args.IntOption("--baud", 460800, 9600, 460800)))
{}

TDeviceSession::~TDeviceSession()
{
    gConnector.store(nullptr);
    gCancelsExchange.store(true);
    std::signal(SIGINT, SIG_DFL);
}

void TDeviceSession::Connect()
{
    gInterrupted.store(false);
    gConnector.store(connector_.get());
    std::signal(SIGINT, OnInterrupt);
    const TVro8ConnectResult r = Vro8OpenAndConnect(*device_);
    CheckInterrupted();
    if (!r.Connected)
        throw std::runtime_error("no recorder: " + r.Error);
}

bool TDeviceSession::Interrupted() { return gInterrupted.load(); }

void TDeviceSession::SetInterruptCancelsExchange(bool cancels) { gCancelsExchange.store(cancels); }

void TDeviceSession::CheckInterrupted()
{
    if (gInterrupted.load())
        throw EInterrupted();
}

TProgress::TProgress(TDvxV24Connector& c) : c_(c), start_(std::chrono::steady_clock::now())
{
    c_.SetOnProgress([this](int perMille) { Show(perMille); });
}

TProgress::~TProgress()
{
    c_.SetOnProgress({});
    if (shown_)
        std::fprintf(stderr, "\r%60s\r", "");
}

void TProgress::Show(int perMille)
{
    if (std::chrono::steady_clock::now() - start_ < std::chrono::seconds(1))
        return;
    shown_ = true;
    const int filled = perMille * 40 / 1000;
    std::fprintf(stderr, "\r[%-40s] %3d%%", std::string(static_cast<std::size_t>(filled), '#').c_str(), perMille / 10);
    std::fflush(stderr);
}

} // namespace vro::cli
