// Watches typed keys for a hidden word (DIAGNOSE, MEMMONITOR). A key that
// matches the next letter advances the position; any other key sets it back
// to the start, and that key is not tried again as a first letter.
#pragma once

#include <QString>

namespace vro::app {

class TKeywordWatcher {
public:
    explicit TKeywordWatcher(QString word) : word_(std::move(word)) {}

    // Feeds one key (Qt key code; letter keys carry the upper-case letter).
    // True when the word has just been completed; the position restarts then.
    bool Feed(int qtKey);
    int Position() const { return pos_; }

private:
    QString word_;
    int pos_ = 0;
};

} // namespace vro::app
