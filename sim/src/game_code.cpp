#include "hostsim/game_code.h"

namespace hostsim {
namespace {
thread_local int gameCodeDepth = 0;
}  // namespace

GameCodeScope::GameCodeScope() noexcept { ++gameCodeDepth; }
GameCodeScope::~GameCodeScope() { --gameCodeDepth; }

bool insideGameCode() noexcept { return gameCodeDepth > 0; }

}  // namespace hostsim
