// Switchable faults: the list `vro simulate --faults` reads, and how a
// fault replaces a command's answer.
#include "sim/recorder.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>

namespace vro::sim {

std::vector<TNamedRecorderFault> ParseRecorderFaults(const std::string& text)
{
    static const std::pair<const char*, ERecorderFault> kModes[] = {
        {"silence", ERecorderFault::Silence}, {"status", ERecorderFault::Status}, {"short", ERecorderFault::Short},
        {"long", ERecorderFault::Long},       {"empty", ERecorderFault::Empty},   {"cut", ERecorderFault::CutAt},
        {"over", ERecorderFault::OverPiece},  {"delay", ERecorderFault::Delay}};
    auto number = [](const std::string& item, const std::string& s, long lo, long hi) {
        std::size_t used = 0;
        long v = 0;
        try {
            v = std::stol(s, &used);
        } catch (const std::exception&) {
            used = 0;
        }
        if (s.empty() || used != s.size() || v < lo || v > hi)
            throw std::invalid_argument("fault \"" + item + "\": \"" + s + "\" is not a number in " +
                                        std::to_string(lo) + ".." + std::to_string(hi));
        return v;
    };
    std::vector<TNamedRecorderFault> out;
    std::size_t from = 0;
    while (from <= text.size()) {
        const std::size_t comma = std::min(text.find(',', from), text.size());
        const std::string item = text.substr(from, comma - from);
        from = comma + 1;
        if (item.empty())
            continue;
        std::vector<std::string> parts;
        // "@K" and "*N" at the end: answers left alone first, answers affected.
        std::string body = item;
        int skipFirst = 0, times = -1;
        for (bool more = true; more;) {
            more = false;
            const std::size_t at = body.find_last_of("@*");
            if (at == std::string::npos)
                break;
            const std::string digits = body.substr(at + 1);
            const long v = number(item, digits, 0, 1000000000);
            (body[at] == '@' ? skipFirst : times) = static_cast<int>(v);
            body.resize(at);
            more = true;
        }
        for (std::size_t p = 0;;) {
            const std::size_t colon = body.find(':', p);
            parts.push_back(body.substr(p, colon == std::string::npos ? std::string::npos : colon - p));
            if (colon == std::string::npos)
                break;
            p = colon + 1;
        }
        if (parts.size() < 2 || parts.size() > 3 || parts[0].size() < 2 || (parts[0][0] != 'R' && parts[0][0] != 'S'))
            throw std::invalid_argument("fault \"" + item + "\": expected COMMAND:MODE[:VALUE], such as R20:status:3");
        TNamedRecorderFault f;
        f.Address = parts[0][0];
        f.Number = static_cast<std::uint8_t>(number(item, parts[0].substr(1), 0, 255));
        const auto mode =
            std::find_if(std::begin(kModes), std::end(kModes), [&](const auto& m) { return parts[1] == m.first; });
        if (mode == std::end(kModes))
            throw std::invalid_argument("fault \"" + item + "\": unknown mode \"" + parts[1] +
                                        "\" (silence, status, short, long, empty, cut, over, delay)");
        f.Fault.Mode = mode->second;
        const bool needsValue = f.Fault.Mode != ERecorderFault::Silence && f.Fault.Mode != ERecorderFault::Empty;
        if (needsValue != (parts.size() == 3))
            throw std::invalid_argument("fault \"" + item + "\": mode " + parts[1] +
                                        (needsValue ? " needs a value" : " takes no value"));
        if (needsValue)
            f.Fault.Value = number(item, parts[2], f.Fault.Mode == ERecorderFault::Status ? -32768 : 0,
                                   f.Fault.Mode == ERecorderFault::Status ? 32767 : 100000000);
        f.Fault.SkipFirst = skipFirst;
        f.Fault.Times = times;
        out.push_back(f);
    }
    return out;
}

void TSimRecorder::SetFault(char address, std::uint8_t number, TRecorderFault fault)
{
    TLock l(mutex_);
    const int k = Key(address, number);
    faultSeen_[k] = 0;
    if (fault.Mode == ERecorderFault::None)
        faults_.erase(k);
    else
        faults_[k] = fault;
}

void TSimRecorder::ClearFaults()
{
    TLock l(mutex_);
    faults_.clear();
    faultSeen_.clear();
}

const TRecorderFault* TSimRecorder::ActiveFault(char a, std::uint8_t n)
{
    auto it = faults_.find(Key(a, n));
    if (it == faults_.end())
        return nullptr;
    const int seen = ++faultSeen_[Key(a, n)];
    const TRecorderFault& f = it->second;
    if (seen <= f.SkipFirst)
        return nullptr;
    if (f.Times >= 0 && seen - f.SkipFirst > f.Times)
        return nullptr;
    return &f;
}

void TSimRecorder::ApplyFault(const TRecorderFault& f, TRecorderAnswer& ans, bool statusAnswer,
                              bool twoByteStatus) const
{
    switch (f.Mode) {
    case ERecorderFault::Silence: ans.Silent = true; break;
    case ERecorderFault::Status:
        if (statusAnswer) {
            if (twoByteStatus)
                ans = Status2(static_cast<std::int16_t>(f.Value));
            else
                ans = Status1(static_cast<std::uint8_t>(f.Value));
        }
        break;
    case ERecorderFault::Short:
        ans.Data.resize(ans.Data.size() > static_cast<std::size_t>(f.Value)
                            ? ans.Data.size() - static_cast<std::size_t>(f.Value)
                            : 0);
        break;
    case ERecorderFault::Long: ans.Data.insert(ans.Data.end(), static_cast<std::size_t>(f.Value), 0xEE); break;
    case ERecorderFault::Empty: ans.Data.clear(); break;
    case ERecorderFault::Delay: ans.Delay = std::chrono::milliseconds(f.Value); break;
    default: break; // CutAt and OverPiece act inside the multi-packet reads
    }
}

} // namespace vro::sim
