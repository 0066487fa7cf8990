#include "search/exchange_pass.h"

#include <algorithm>
#include <cstddef>

namespace lumora {

// Why this equals the pass. By induction the prefix a[0..i-1] is sorted by key
// when step i begins. Step i carries x = a[i] up the prefix: at the first j
// with key[a[j]] > key[x] they swap and the carried element becomes that
// a[j]; an equal key never swaps, so the carried element passes over the rest
// of its run of equal keys and swaps into the first element of the next,
// greater run, and so on; the last carried element lands at position i. So
// x joins the end of the run of its own key, and every run of a greater key
// rotates left by one (its first element moves to its end). The prefix stays
// sorted.
//
// Hence, keeping one queue per distinct key, in key order: element x is
// appended to its key's queue and every non-empty queue of a greater key
// rotates by one. A queue's rotations are counted lazily: it owes one for
// each element of a smaller key that arrived since it was last touched, and
// pays them (modulo its length) before its next append and at the end. The
// number of smaller-key arrivals comes from a Fenwick tree over key ranks.
// Flag passes ("x has the flag and y has not") are the two-key case.

namespace {

class RankCounter {
public:
    explicit RankCounter(std::size_t ranks) : m_tree(ranks + 1, 0) {}
    void add(std::size_t rank) {
        for (std::size_t i = rank + 1; i < m_tree.size(); i += i & (~i + 1)) ++m_tree[i];
    }
    // Elements counted with a rank below `rank`.
    std::uint64_t countBelow(std::size_t rank) const {
        std::uint64_t sum = 0;
        for (std::size_t i = rank; i > 0; i -= i & (~i + 1)) sum += m_tree[i];
        return sum;
    }

private:
    std::vector<std::uint64_t> m_tree;
};

struct RotatingQueue {
    std::vector<std::uint32_t> items;  // live items are items[head..]
    std::size_t head = 0;
    std::uint64_t smallerSeenAtLastTouch = 0;

    std::size_t size() const { return items.size() - head; }

    void rotate(std::uint64_t steps) {
        const std::size_t length = size();
        if (length < 2) return;
        const std::size_t turns = static_cast<std::size_t>(steps % length);
        for (std::size_t k = 0; k < turns; ++k) items.push_back(items[head + k]);
        head += turns;
        if (head > 32 && head * 2 > items.size()) {
            items.erase(items.begin(), items.begin() + static_cast<std::ptrdiff_t>(head));
            head = 0;
        }
    }
};

// Ranks of the keys: dense (key - smallest) when the keys span a narrow range,
// as match positions and flags do, else positions among the sorted distinct keys.
std::vector<std::uint32_t> rankKeys(std::span<const std::int64_t> keys, std::size_t& rankCount) {
    std::vector<std::uint32_t> ranks(keys.size());
    if (keys.empty()) {
        rankCount = 0;
        return ranks;
    }
    const auto [low, high] = std::minmax_element(keys.begin(), keys.end());
    const std::uint64_t span = static_cast<std::uint64_t>(*high) - static_cast<std::uint64_t>(*low);
    if (span <= 2 * keys.size() + 64) {
        for (std::size_t i = 0; i < keys.size(); ++i)
            ranks[i] =
                static_cast<std::uint32_t>(static_cast<std::uint64_t>(keys[i]) - static_cast<std::uint64_t>(*low));
        rankCount = static_cast<std::size_t>(span) + 1;
        return ranks;
    }
    std::vector<std::int64_t> distinct(keys.begin(), keys.end());
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    for (std::size_t i = 0; i < keys.size(); ++i)
        ranks[i] =
            static_cast<std::uint32_t>(std::lower_bound(distinct.begin(), distinct.end(), keys[i]) - distinct.begin());
    rankCount = distinct.size();
    return ranks;
}

}  // namespace

std::vector<std::uint32_t> exchangePassOrder(std::span<const std::int64_t> keys) {
    const std::size_t count = keys.size();
    std::size_t rankCount = 0;
    const std::vector<std::uint32_t> ranks = rankKeys(keys, rankCount);

    std::vector<std::uint32_t> order;
    order.reserve(count);
    if (rankCount <= 1) {
        for (std::size_t i = 0; i < count; ++i) order.push_back(static_cast<std::uint32_t>(i));
        return order;
    }

    // Queues of absent keys stay empty and cost nothing but their slot.
    std::vector<RotatingQueue> queues(rankCount);
    RankCounter arrived(rankCount);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t rank = ranks[i];
        RotatingQueue& queue = queues[rank];
        const std::uint64_t smallerSeen = arrived.countBelow(rank);
        queue.rotate(smallerSeen - queue.smallerSeenAtLastTouch);
        queue.items.push_back(static_cast<std::uint32_t>(i));
        queue.smallerSeenAtLastTouch = smallerSeen;
        arrived.add(rank);
    }

    std::uint64_t smallerTotal = 0;
    for (RotatingQueue& queue : queues) {
        queue.rotate(smallerTotal - queue.smallerSeenAtLastTouch);
        order.insert(order.end(), queue.items.begin() + static_cast<std::ptrdiff_t>(queue.head), queue.items.end());
        smallerTotal += queue.size();
    }
    return order;
}

}  // namespace lumora
