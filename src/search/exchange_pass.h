#pragma once
// The effect of one exchange pass with a strict "smaller key first" condition,
// computed without the pass's quadratic cost.
#include <cstdint>
#include <span>
#include <vector>

namespace lumora {

// Order in which the pass
//   for i in 0..n-1: for j in 0..i-1: if key[a[i]] < key[a[j]]: swap(a[i], a[j])
// leaves the elements 0..n-1 (given in that order): result[k] is the element
// at position k afterwards. Ties are placed exactly as the pass places them.
std::vector<std::uint32_t> exchangePassOrder(std::span<const std::int64_t> keys);

}  // namespace lumora
