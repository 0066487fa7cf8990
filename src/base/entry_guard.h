#pragma once
// Every function that the game, the loader or Windows calls into runs its body
// through runGuardedEntry: an exception must never unwind into a caller that
// is not ours (the game's frames know nothing of C++ exceptions, and an
// exception out of a noexcept entry would end the game through terminate).
#include <exception>
#include <type_traits>
#include <utility>

namespace lumora {

// Writes one diagnostic line naming the entry and the exception. Never throws.
void reportEntryFailure(const char* entry, const char* what) noexcept;

// Runs `body` and returns its result. Results:
//   the body's result  the body returned;
//   `fallback`         the body threw; the entry's safest outcome, after a
//                      diagnostic line on standard output (often the only
//                      witness the player has).
template <typename Result, typename Body>
Result runGuardedEntry(const char* entry, Result fallback, Body&& body) noexcept {
    try {
        return std::forward<Body>(body)();
    } catch (const std::exception& error) {
        reportEntryFailure(entry, error.what());
    } catch (...) {
        reportEntryFailure(entry, "unknown exception");
    }
    return fallback;
}

// For bodies without a result. Results: true when the body ran to its end,
// false when it threw (after the diagnostic line).
template <typename Body>
bool runGuardedEntry(const char* entry, Body&& body) noexcept {
    return runGuardedEntry(entry, false, [&body]() -> bool {
        std::forward<Body>(body)();
        return true;
    });
}

}  // namespace lumora
