#include "draw_book.h"

#include <mutex>

namespace zorlith {

namespace {

// Catch-up after a long pause commits in batches so that memory stays bounded.
constexpr size_t kBatch = 10000;

} // namespace

DrawBook::DrawBook(DrawStore& store, int64_t period) : store_(store), period_(period) {
    const auto stored = store_.newest(kKeptInMemory);
    recent_.assign(stored.begin(), stored.end());
}

bool DrawBook::importHistory(const std::vector<ImportedDraw>& draws, int64_t now,
                             std::string& error) {
    if (!store_.empty()) {
        error = "数据库中已有开奖记录，拒绝导入";
        return false;
    }
    const int64_t firstSimulated = LatestMultiple(now, period_);
    std::vector<StoredDraw> history;
    history.reserve(draws.size());
    const auto total = static_cast<int64_t>(draws.size());
    for (int64_t i = 0; i < total; ++i) {
        const ImportedDraw& draw = draws[static_cast<size_t>(i)];
        history.push_back({draw.issue, firstSimulated - (total - i) * period_, draw.numbers,
                           RandomNonZeroSeed()});
    }
    return commit(std::move(history), error);
}

bool DrawBook::seedFreshHistory(int64_t now, std::string& error) {
    if (!store_.empty()) {
        return true;
    }
    const int64_t newestAt = LatestMultiple(now, period_);
    std::vector<StoredDraw> history;
    for (int i = 0; i < kFreshHistory; ++i) {
        history.push_back({kFirstFreshIssue + i, newestAt - (kFreshHistory - 1 - i) * period_,
                           RandomCarOrder(), RandomNonZeroSeed()});
    }
    return commit(std::move(history), error);
}

int64_t DrawBook::makeDueDraws(int64_t now, std::string& error) {
    auto last = newest();
    if (!last) {
        return 0;
    }
    int64_t made = 0;
    while (nextDrawTime(*last) <= now) {
        std::vector<StoredDraw> batch;
        while (batch.size() < kBatch && nextDrawTime(*last) <= now) {
            last = StoredDraw{last->issue + 1, nextDrawTime(*last), RandomCarOrder(),
                              RandomNonZeroSeed()};
            batch.push_back(*last);
        }
        made += static_cast<int64_t>(batch.size());
        if (!commit(std::move(batch), error)) {
            return -1;
        }
    }
    return made;
}

bool DrawBook::commit(std::vector<StoredDraw> draws, std::string& error) {
    if (!store_.append(draws, error)) {
        return false;
    }
    std::unique_lock lock(mutex_);
    for (StoredDraw& draw : draws) {
        recent_.push_front(std::move(draw));
    }
    while (recent_.size() > kKeptInMemory) {
        recent_.pop_back();
    }
    return true;
}

std::vector<StoredDraw> DrawBook::recent(size_t limit) const {
    std::shared_lock lock(mutex_);
    const size_t count = std::min(limit, recent_.size());
    return {recent_.begin(), recent_.begin() + static_cast<std::ptrdiff_t>(count)};
}

std::optional<StoredDraw> DrawBook::newest() const {
    std::shared_lock lock(mutex_);
    if (recent_.empty()) {
        return std::nullopt;
    }
    return recent_.front();
}

} // namespace zorlith
