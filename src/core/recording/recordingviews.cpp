#include "core/recording/recording.h"

#include "core/values/dvxdatetime.h"

#include <utility>

namespace vro {

namespace {
double NowDateTime() { return DvxNow(); }
} // namespace

// ---------------------------------------------------------------------------
// View state texts

std::string InsertChannelIntoViewState(const std::string& viewState, const std::string& channelState)
{
    const std::size_t at = viewState.find('@');
    if (at == std::string::npos)
        return viewState + "#" + channelState;
    return viewState.substr(0, at) + "#" + channelState + viewState.substr(at);
}

// ---------------------------------------------------------------------------
// TSnapshotCam

TSnapshot& TSnapshotCam::Add(const std::string& viewState, const std::string& name)
{
    TSnapshot s;
    s.Data = viewState;
    s.Name = name;
    s.DateTime = NowDateTime();
    return Append(std::move(s));
}

TSnapshot& TSnapshotCam::Append(TSnapshot snapshot)
{
    items_.push_back(std::move(snapshot));
    return items_.back();
}

void TSnapshotCam::Delete(int i)
{
    if (i >= 0 && i < Count())
        items_.erase(items_.begin() + i);
}

void TSnapshotCam::Remove(const TSnapshot* snapshot)
{
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (&items_[i] == snapshot) {
            items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
}

void TSnapshotCam::Move(int from, int to)
{
    if (from < 0 || from >= Count() || to < 0 || to >= Count() || from == to)
        return;
    TSnapshot s = std::move(items_[static_cast<std::size_t>(from)]);
    items_.erase(items_.begin() + from);
    items_.insert(items_.begin() + to, std::move(s));
}

void TSnapshotCam::AppendChannel(const std::string& channelState)
{
    for (auto& s : items_)
        s.Data = InsertChannelIntoViewState(s.Data, channelState);
}

// ---------------------------------------------------------------------------
// THistory

void THistory::Add(const std::string& text)
{
    if (Locked)
        return;
    if (Filled && text == Entries[static_cast<std::size_t>(Position)])
        return;
    if (Position < Last) {
        ++Position;
        for (int i = Position + 1; i <= Last; ++i)
            Entries[static_cast<std::size_t>(i)].clear();
    } else if (Position == Size - 1 && Last == Size - 1) {
        std::move(Entries.begin() + 1, Entries.end(), Entries.begin());
    } else if (Filled) {
        ++Position;
    }
    Entries[static_cast<std::size_t>(Position)] = text;
    Last = Position;
    Filled = true;
}

std::string THistory::Back()
{
    if (Position > 0)
        --Position;
    return Entries[static_cast<std::size_t>(Position)];
}

std::string THistory::Forward()
{
    if (Position < Last)
        ++Position;
    return Entries[static_cast<std::size_t>(Position)];
}

void THistory::Clear()
{
    Position = 0;
    Last = 0;
    Filled = false;
    for (auto& e : Entries)
        e.clear();
}

void THistory::AppendChannel(const std::string& channelState)
{
    if (!Filled)
        return;
    for (int i = 0; i <= Last; ++i)
        Entries[static_cast<std::size_t>(i)] =
            InsertChannelIntoViewState(Entries[static_cast<std::size_t>(i)], channelState);
}

} // namespace vro
