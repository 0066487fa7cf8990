#pragma once
// The game's main thread. Each frame it runs the work handed to it (player
// input, scripted events), passes the prompt call site and processes the UI
// message queue. Tests either step frames on their own thread (which then
// acts as the game thread) or start a real thread that runs frames at a fixed
// period.
#include <chrono>
#include <cstdint>
#include <functional>

namespace hostsim {

// Runs one frame on the calling thread.
void stepFrame();
// Frames run so far, on whatever thread.
std::uint64_t frameCount();

// Hands work to the next frame.
void postToGameThread(std::function<void()> work);
// Hands work to the next frame and waits until it has run. When no game
// thread runs, the caller runs that frame itself.
void runOnGameThread(std::function<void()> work);

void startGameThread(std::chrono::milliseconds period = std::chrono::milliseconds(16));
void stopGameThread();
bool gameThreadRunning();
// True on the running game thread.
bool onGameThread();

}  // namespace hostsim
