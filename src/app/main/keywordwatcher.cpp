#include "app/main/keywordwatcher.h"

namespace vro::app {

bool TKeywordWatcher::Feed(int qtKey)
{
    if (word_.isEmpty())
        return false;
    if (qtKey == word_.at(pos_).unicode()) {
        if (++pos_ == word_.size()) {
            pos_ = 0;
            return true;
        }
    } else {
        pos_ = 0;
    }
    return false;
}

} // namespace vro::app
