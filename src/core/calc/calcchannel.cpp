#include "core/calc/calcchannel.h"

#include "core/calc/filter.h"
#include "core/calc/parser.h"
#include "core/recording/recording.h"
#include "core/text/texts.h"
#include "core/util/numeric.h"
#include "core/values/vro8utils.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

namespace vro {

namespace {
constexpr const char* kBreak = "\r\n";

std::string General10(double x)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.10g", x);
    return buf;
}

// Appends a new channel that takes over channel 0; returns its index.
int AppendCopyOfChannel0(TRecording& r)
{
    const int index = r.ChannelCount;
    auto ch = std::make_unique<TRecordingSensorWrapper>(r);
    ch->CopyFrom(r.Channel(0), 0);
    r.Channels[static_cast<std::size_t>(index)] = std::move(ch);
    ++r.ChannelCount;
    return index;
}

void RemoveLastChannel(TRecording& r, int index)
{
    if (index >= 0 && index == r.ChannelCount - 1) {
        r.Channels[static_cast<std::size_t>(index)].reset();
        --r.ChannelCount;
        r.CheckAxes();
    }
}
} // namespace

int DerivedChannelRefusal(const TRecording& r, bool calculated)
{
    if (r.HasTimeStamps)
        return calculated ? 406 : 447;
    if (r.XAxisIndex >= 0)
        return calculated ? 407 : 448;
    return 0;
}

int TimeShiftRefusal(const TRecording& r, std::size_t drawnChannels)
{
    if (r.HasTimeStamps)
        return 467;
    if (r.XAxisIndex >= 0)
        return 468;
    if (drawnChannels == 0)
        return 469;
    return 0;
}

int DeleteChannelRefusal(const TRecording& r) { return r.HasTimeStamps ? 467 : 0; }

std::string NextDerivedName(const TRecording& r, const std::string& word, int except)
{
    int n = 0;
    for (int i = 0; i < r.ChannelCount; ++i) {
        if (i == except)
            continue;
        const std::string& name = r.Channel(i).DeviceName;
        if (name.find(word) == std::string::npos)
            continue;
        // The number after the word and one blank, up to 10 characters.
        const std::size_t from = word.size() + 1;
        if (from >= name.size())
            continue;
        const std::string digits = name.substr(from, 10);
        int v = 0;
        auto [p, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v);
        if (ec == std::errc() && p == digits.data() + digits.size())
            n = v;
    }
    return word + " " + std::to_string(n + 1);
}

int NextDerivedColor(const TRecording& r, int except)
{
    int c = 1;
    for (bool changed = true; changed && c < 8;) {
        changed = false;
        for (int i = 0; i < r.ChannelCount && c < 8; ++i)
            if (i != except && r.Channel(i).ColorIndex == c) {
                ++c;
                changed = true;
            }
    }
    return c % 8;
}

TCalcChannel::TCalcChannel(TRecording& recording) : recording_(recording), originals_(recording.ChannelCount) {}

std::string TCalcChannel::ChannelList() const
{
    std::string s;
    for (int i = 0; i < originals_; ++i)
        s += "  S" + std::to_string(i + 1) + "  " + recording_.Channel(i).GetLongName() + kBreak;
    return s;
}

int TCalcChannel::AutomaticDecimals(double m)
{
    // Comparisons, not a rounded logarithm: 1000 is exactly k = 3.
    if (!(m >= 10))
        return 4;
    if (m < 100)
        return 3;
    if (m < 1000)
        return 2;
    if (m < 10000)
        return 1;
    if (m < 100000)
        return 0;
    return -1;
}

void TCalcChannel::CreateChannel()
{
    TRecording& r = recording_;
    index_ = AppendCopyOfChannel0(r);
    auto& ch = r.Channel(index_);
    ch.SetColorIndex(NextDerivedColor(r, index_));
    ch.DeviceName = NextDerivedName(r, text(403), index_);
    ch.CustomName.clear();
    ch.NoOriginalSensor = true;
    ch.Visible = true;
    ch.Style = 0;
    ch.ShowMinMax = false;
    ch.TimeShift = 0;
    // The new channel has no min/max of its own.
    if (r.HasMinMaxValues) {
        ch.MinValues.assign(ch.MinValues.size(), NoValue);
        ch.MaxValues.assign(ch.MaxValues.size(), NoValue);
    }
}

TCalcResult TCalcChannel::Compute(int d)
{
    TRecording& r = recording_;
    TCalcResult result;
    result.Decimals = d;
    std::vector<std::string> names{"pi", "e"};
    for (int i = 0; i < originals_; ++i)
        names.push_back("s" + std::to_string(i + 1));
    TVROMath math;
    const int code = math.Compile(formula_, names);
    if (code != 0) {
        result.TextNumber = TParser::CompileCodeText(code);
        result.Message = text(result.TextNumber);
        return result;
    }
    // Variables: pi, e, then every original channel with its own time shift.
    const auto source = [&](int n, std::int64_t first, int count, double* out) {
        if (n < 2) {
            std::fill(out, out + count, n == 0 ? M_PI : M_E);
            return;
        }
        const auto& c = r.Channel(n - 2);
        const double factor = DecimalsValid(c.Decimals) ? Vro8Factor[c.Decimals] : 1.0;
        for (int j = 0; j < count; ++j) {
            const std::int64_t k = first + j - c.TimeShift;
            const std::int32_t raw = k >= 0 && k < static_cast<std::int64_t>(c.Values.size())
                                         ? c.Values[static_cast<std::size_t>(k)]
                                         : NoValue;
            out[j] = raw == NoValue ? std::nan("") : raw / factor;
        }
    };
    auto& dest = r.Channel(index_).Values;
    const double factor = Vro8Factor[d];
    const double limit = RawLimit / factor;
    std::vector<double> block(TParser::kBlockSize);
    for (std::int64_t first = 0; first < r.RecordCount; first += TParser::kBlockSize) {
        const int n = static_cast<int>(std::min<std::int64_t>(TParser::kBlockSize, r.RecordCount - first));
        math.EvaluateRange(source, first, n, block.data());
        for (int j = 0; j < n; ++j) {
            const double x = block[static_cast<std::size_t>(j)];
            dest[static_cast<std::size_t>(first + j)] = std::isnan(x) || x > limit || x < -limit
                                                            ? NoValue
                                                            : static_cast<std::int32_t>(RoundHalfEven(factor * x));
        }
    }
    if (std::isnan(math.ResultMin())) {
        result.TextNumber = 401;
        result.Message = text(401);
        return result;
    }
    result.ResultMin = math.ResultMin();
    result.ResultMax = math.ResultMax();
    return result;
}

TCalcResult TCalcChannel::Calculate(const std::string& formula, int decimals, bool automatic, const std::string& unit)
{
    ok_ = false;
    std::string trimmed = formula;
    trimmed.erase(0, trimmed.find_first_not_of(" \t\r\n"));
    trimmed.erase(trimmed.find_last_not_of(" \t\r\n") + 1);
    if (trimmed.empty())
        return {402, text(402), decimals, 0, 0};
    if (!HasChannel())
        CreateChannel();
    formula_ = formula;
    unit_ = unit;
    decimals = DecimalsValid(decimals) ? decimals : 0;
    TCalcResult res = Compute(decimals);
    if (res.TextNumber != 0)
        return res;
    const double m = std::max(std::fabs(res.ResultMin), std::fabs(res.ResultMax));
    auto tooLarge = [&] {
        res.TextNumber = 400;
        res.Message = text(400) + " : " + General10(res.ResultMin) + " .. " + General10(res.ResultMax);
        return res;
    };
    if (automatic) {
        const int k = AutomaticDecimals(m);
        if (k < 0)
            return tooLarge();
        if (k != decimals) {
            res = Compute(k);
            if (res.TextNumber != 0)
                return res;
        }
    } else if (RoundHalfEven(Vro8Factor[decimals] * m) > RawLimit) {
        return tooLarge();
    }
    min_ = res.ResultMin;
    max_ = res.ResultMax;
    Finish(res.Decimals);
    ok_ = true;
    const auto& ch = recording_.Channel(index_);
    res.Message = text(405) + " " + General10(min_) + " .. " + General10(max_) + " " + unit_ + "  (" +
                  ch.RelativeToText(0) + " .. " + ch.RelativeToText(1) + " " + unit_ + ")";
    return res;
}

void TCalcChannel::Finish(int d)
{
    auto& ch = recording_.Channel(index_);
    ch.DeviceLoRange = NoValue;
    ch.DeviceHiRange = NoValue;
    ch.Decimals = d;
    ch.FullLoRange = static_cast<std::int32_t>(RoundHalfEven(Vro8Factor[d] * min_));
    ch.FullHiRange = static_cast<std::int32_t>(RoundHalfEven(Vro8Factor[d] * max_));
    ch.Has32BitSize = ch.FullLoRange < -30000 || ch.FullHiRange > 30000;
    std::int64_t lo = ch.FullLoRange, hi = ch.FullHiRange;
    AxisStep(lo, hi, 3);
    ch.FullLoRange = static_cast<std::int32_t>(std::clamp<std::int64_t>(lo, -RawLimit, RawLimit));
    ch.FullHiRange = static_cast<std::int32_t>(std::clamp<std::int64_t>(hi, -RawLimit, RawLimit));
    ch.SetCurrentRange(ch.FullLoRange, ch.FullHiRange);
    ch.MeasureUnit = unit_;
    std::string formula;
    for (char c : formula_)
        if (c != ' ' && c != '\t')
            formula.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    ch.Comment = text(396) + ": " + formula + kBreak + ChannelList();
}

void TCalcChannel::SetUnit(const std::string& unit)
{
    unit_ = unit;
    if (ok_)
        Finish(recording_.Channel(index_).Decimals);
}

void TCalcChannel::Accept()
{
    if (!HasChannel())
        return;
    recording_.Saved = false;
    recording_.AppendChannelToViews();
}

void TCalcChannel::Cancel()
{
    RemoveLastChannel(recording_, index_);
    index_ = -1;
}

TFilterChannel::TFilterChannel(TRecording& recording) : recording_(recording)
{
    index_ = AppendCopyOfChannel0(recording_);
    Describe();
}

void TFilterChannel::Describe()
{
    TRecording& r = recording_;
    auto& ch = r.Channel(index_);
    ch.SetColorIndex(NextDerivedColor(r, index_));
    ch.DeviceName = NextDerivedName(r, text(446), index_);
    ch.CustomName.clear();
    ch.NoOriginalSensor = true;
    ch.Visible = true;
    ch.Style = 0;
    ch.ShowMinMax = false;
    ch.Comment = text(442) + ": " + r.Channel(source_).GetLongName();
}

void TFilterChannel::Apply(int source, std::int32_t requestedWidth)
{
    TRecording& r = recording_;
    if (source < 0 || source >= index_)
        throw std::out_of_range("filter source channel " + std::to_string(source) + " does not exist");
    if (source != source_) {
        source_ = source;
        r.Channel(index_).CopyFrom(r.Channel(source), 0);
        Describe();
    }
    // The stored samples of the source; the new channel keeps its time shift.
    TFilter::Apply(r.Channel(source).Values, requestedWidth, r.Channel(index_).Values);
}

void TFilterChannel::Accept()
{
    recording_.Saved = false;
    recording_.AppendChannelToViews();
}

void TFilterChannel::Cancel()
{
    RemoveLastChannel(recording_, index_);
    index_ = -1;
}

} // namespace vro
