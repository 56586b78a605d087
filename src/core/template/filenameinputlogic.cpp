#include "core/template/filenameinputlogic.h"

#include "core/text/texts.h"
#include "core/values/dvxdatautils.h"

namespace vro {

namespace {

// Removes every occurrence of what (preceded by "_" where there is one).
void RemoveWithUnderscore(std::string& s, const std::string& what)
{
    std::size_t pos;
    while ((pos = s.find(what)) != std::string::npos) {
        std::size_t start = pos, len = what.size();
        if (start > 0 && s[start - 1] == '_') {
            --start;
            ++len;
        }
        s.erase(start, len);
    }
}

} // namespace

TFilenameInputLogic::TFilenameInputLogic(std::string sampleName, std::int32_t sampleNumber, double sampleDateTime)
    : sampleName_(std::move(sampleName)), sampleNumber_(sampleNumber), sampleDateTime_(sampleDateTime)
{
    ChoosePreset(0);
}

std::vector<std::string> TFilenameInputLogic::PresetTexts()
{
    std::vector<std::string> list;
    for (int i = 0; i <= FreeInputIndex; ++i)
        list.push_back(text(1302 + i));
    return list;
}

std::vector<std::string> TFilenameInputLogic::DigitTexts()
{
    std::vector<std::string> list;
    for (int i = 1; i <= 9; ++i)
        list.push_back(std::to_string(i));
    return list;
}

void TFilenameInputLogic::ChoosePreset(int index)
{
    if (index == FreeInputIndex) {
        preset_ = index;
        return;
    }
    if (index < 0 || index >= TFilenameParser::PresetCount)
        return;
    preset_ = index;
    std::string t(TFilenameParser::PresetTemplate(index));
    // The digit count replaces the character after the first ":".
    const std::size_t colon = t.find(':');
    if (colon != std::string::npos && colon + 1 < t.size())
        t[colon + 1] = static_cast<char>('0' + digits_);
    template_ = t;
    Renew();
}

void TFilenameInputLogic::ChooseDigits(int digits)
{
    if (digits < 1 || digits > 9)
        return;
    digits_ = digits;
    if (preset_ != FreeInputIndex)
        ChoosePreset(preset_);
}

void TFilenameInputLogic::SetTemplateText(std::string text)
{
    template_ = std::move(text);
    Renew();
}

void TFilenameInputLogic::AppendPart(const std::string& part)
{
    template_ += part;
    if (!template_.empty() && template_[0] == '_')
        template_.erase(0, 1);
    Renew();
}

void TFilenameInputLogic::AppendDate()
{
    RemoveWithUnderscore(template_, "%Date");
    AppendPart("_%Date");
}

void TFilenameInputLogic::AppendTime()
{
    RemoveWithUnderscore(template_, "%Time");
    AppendPart("_%Time");
}

void TFilenameInputLogic::AppendNumber()
{
    // "%Nr:" with its digit (a ":" at the end has none).
    std::size_t pos;
    while ((pos = template_.find("%Nr:")) != std::string::npos) {
        std::size_t start = pos, len = 4;
        if (pos + len < template_.size() && template_[pos + len] >= '0' && template_[pos + len] <= '9')
            ++len;
        if (start > 0 && template_[start - 1] == '_') {
            --start;
            ++len;
        }
        template_.erase(start, len);
    }
    AppendPart("_%Nr:" + std::to_string(digits_));
}

void TFilenameInputLogic::AppendName()
{
    RemoveWithUnderscore(template_, "%Name");
    AppendPart("_%Name");
}

void TFilenameInputLogic::Clear()
{
    template_.clear();
    Renew();
}

void TFilenameInputLogic::Renew()
{
    parser_.SetTemplate(template_);
    parser_.SetName(sampleName_);
    parser_.SetNumber(sampleNumber_);
    parser_.SetDateTime(sampleDateTime_);
    preview_ = parser_.Generate();
}

int TFilenameInputLogic::Accept(std::string& result) const
{
    result = DvxTrim(parser_.GetPattern());
    return result.empty() ? 2 : 0;
}

int TFilenameInputLogic::Cancel(std::string& result)
{
    result.clear();
    return 1;
}

} // namespace vro
