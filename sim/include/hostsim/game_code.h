#pragma once
// Marks the game's own code while it runs on a thread. The game's functions
// that the plugin calls and that allocate open a scope, so that a test can aim
// allocation failures at the plugin's code alone: the game's allocations are
// the game's business, and the game never throws into its callers.
namespace hostsim {

class GameCodeScope {
public:
    GameCodeScope() noexcept;
    ~GameCodeScope();
    GameCodeScope(const GameCodeScope&) = delete;
    GameCodeScope& operator=(const GameCodeScope&) = delete;
};

// True while a GameCodeScope is open on the calling thread.
bool insideGameCode() noexcept;

}  // namespace hostsim
