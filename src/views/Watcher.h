// SPDX-License-Identifier: MIT
#pragma once

#include <optional>

/// Remembers the value read at the previous refresh and tells whether a new read differs.
/// It starts from the value current when the view appears, so a value that was set before
/// then is no change.
template<typename T> class Watcher {
public:
    void start(const T &current) { last_ = current; }
    /// True when `current` differs from the previous read; it becomes the previous read.
    bool changed(const T &current) {
        if (!last_ || *last_ == current)
            return false;
        last_ = current;
        return true;
    }

private:
    std::optional<T> last_;
};
