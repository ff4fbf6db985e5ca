#pragma once

#include "draw_making.h"
#include "draw_store.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <shared_mutex>
#include <string>
#include <vector>

namespace zorlith {

// The service's draws: the store on disk plus the newest ones in memory for the replies. A draw
// enters memory only after its transaction has committed, so no reply can mention a draw that
// a crash could still take back.
class DrawBook {
public:
    static constexpr size_t kKeptInMemory = 1000;
    static constexpr int64_t kFirstFreshIssue = 700001;
    static constexpr int kFreshHistory = 100;

    DrawBook(DrawStore& store, int64_t period);

    int64_t period() const { return period_; }
    // When the issue after `draw` is drawn: the next multiple of the period, which is the draw's
    // time plus the period unless the service was restarted with another period.
    int64_t nextDrawTime(const StoredDraw& draw) const {
        return LatestMultiple(draw.drawnAt, period_) + period_;
    }

    // Imported draws end one period before the latest multiple of the period at `now`, where
    // the first simulated draw falls. Refused when the store already holds draws.
    bool importHistory(const std::vector<ImportedDraw>& draws, int64_t now, std::string& error);
    // A store without draws gets kFreshHistory simulated ones, the newest due at the latest
    // multiple of the period.
    bool seedFreshHistory(int64_t now, std::string& error);
    // Makes every draw that has fallen due by `now` (catch-up after a pause included).
    // Returns how many were made; -1 when the store refused them.
    int64_t makeDueDraws(int64_t now, std::string& error);

    // Newest first, at most `limit` (and at most kKeptInMemory).
    std::vector<StoredDraw> recent(size_t limit) const;
    std::optional<StoredDraw> newest() const;

private:
    bool commit(std::vector<StoredDraw> draws, std::string& error);

    DrawStore& store_;
    const int64_t period_;
    mutable std::shared_mutex mutex_;
    std::deque<StoredDraw> recent_; // newest first
};

} // namespace zorlith
