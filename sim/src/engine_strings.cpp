#include "hostsim/engine_strings.h"

#include "hostsim/call_sites.h"
#include "hostsim/forms.h"
#include "hostsim/game_code.h"
#include "hostsim/transcript.h"

#include <atomic>
#include <cstddef>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_map>
#include <unordered_set>

namespace hostsim {
namespace {

// An entry of the game's string pool, as a handle points to it.
struct EngineStringEntry {
    EngineStringEntry* next;  // 0x00: pool chain (unused here)
    std::uint64_t length;     // 0x08
    std::uint32_t hash;       // 0x10
    std::uint8_t flags;       // 0x14
    std::uint8_t unused[3];
    char text[1];  // 0x18, NUL-terminated
};
static_assert(offsetof(EngineStringEntry, length) == 0x08);
static_assert(offsetof(EngineStringEntry, flags) == 0x14);
static_assert(offsetof(EngineStringEntry, text) == 0x18);

struct StringPool {
    std::mutex mutex;
    std::unordered_map<std::string, EngineStringEntry*> byText;
    std::unordered_set<const void*> entries;
    std::unordered_map<const void*, std::uint64_t> heldByPlugin;
    EngineStringLedger ledger;
};

StringPool& pool() {
    // Never destroyed: the plugin's threads may still call into the game at exit.
    static StringPool& instance = *new StringPool;
    return instance;
}

std::uint32_t hashOf(const std::string& text) {
    std::uint32_t h = 2166136261u;
    for (unsigned char c : text) h = (h ^ c) * 16777619u;
    return h;
}

EngineStringEntry* internLocked(StringPool& p, const char* text) {
    std::string key(text);
    if (auto found = p.byText.find(key); found != p.byText.end()) return found->second;
    // Entries live as long as the game: the pool never frees them.
    void* memory = ::operator new(offsetof(EngineStringEntry, text) + key.size() + 1);
    auto* entry = static_cast<EngineStringEntry*>(memory);
    entry->next = nullptr;
    entry->length = key.size();
    entry->hash = hashOf(key);
    entry->flags = 0;
    std::memset(entry->unused, 0, sizeof entry->unused);
    std::memcpy(entry->text, key.c_str(), key.size() + 1);
    p.byText.emplace(std::move(key), entry);
    p.entries.insert(entry);
    return entry;
}

}  // namespace

EngineStringHandle internEngineString(const char* text) {
    if (text == nullptr) return nullptr;
    auto& p = pool();
    std::lock_guard lock(p.mutex);
    return internLocked(p, text);
}

std::string engineStringText(EngineStringHandle handle) {
    if (handle == nullptr) return {};
    auto& p = pool();
    std::lock_guard lock(p.mutex);
    if (!p.entries.contains(handle)) return {};
    return static_cast<EngineStringEntry*>(handle)->text;
}

void setEngineStringFlags(EngineStringHandle handle, std::uint8_t flags) {
    auto& p = pool();
    std::lock_guard lock(p.mutex);
    if (p.entries.contains(handle)) static_cast<EngineStringEntry*>(handle)->flags = flags;
}

bool isEngineString(EngineStringHandle handle) {
    auto& p = pool();
    std::lock_guard lock(p.mutex);
    return p.entries.contains(handle);
}

namespace {
std::atomic<std::uint32_t> createsToFail{0};

// Takes one planned failure, if any is left.
bool takeCreateFailure() {
    std::uint32_t left = createsToFail.load();
    while (left > 0 && !createsToFail.compare_exchange_weak(left, left - 1)) {
    }
    return left > 0;
}
}  // namespace

void throwFromEngineStringCreates(std::uint32_t count) { createsToFail.store(count); }

SIM_ABI void* createEngineString(EngineStringHandle* out, const char* text, std::uint8_t flag) {
    GameCodeScope gameCode;
    noteEngineStringCreate(out);
    if (takeCreateFailure()) throw HostFault{0};
    if (out == nullptr) {
        recordViolation("EngineString_Create called with a null output handle");
        return nullptr;
    }
    if (text == nullptr) {
        *out = nullptr;
        return out;
    }
    auto& p = pool();
    std::lock_guard lock(p.mutex);
    EngineStringEntry* entry = internLocked(p, text);
    *out = entry;
    ++p.heldByPlugin[entry];
    ++p.ledger.created;
    return out;
}

SIM_ABI void releaseEngineString(EngineStringHandle* handle) {
    GameCodeScope gameCode;
    if (handle == nullptr || *handle == nullptr) return;
    auto& p = pool();
    std::lock_guard lock(p.mutex);
    auto held = p.heldByPlugin.find(*handle);
    if (held == p.heldByPlugin.end() || held->second == 0) {
        ++p.ledger.releasedUnknown;
    } else {
        --held->second;
        ++p.ledger.released;
    }
    *handle = nullptr;  // the game's release empties the handle
}

EngineStringLedger engineStringLedger() {
    auto& p = pool();
    std::lock_guard lock(p.mutex);
    return p.ledger;
}

bool engineStringLedgerBalanced() {
    const EngineStringLedger ledger = engineStringLedger();
    return ledger.created == ledger.released && ledger.releasedUnknown == 0;
}

std::vector<std::string> outstandingEngineStrings() {
    auto& p = pool();
    std::lock_guard lock(p.mutex);
    std::vector<std::string> texts;
    for (const auto& [handle, count] : p.heldByPlugin)
        for (std::uint64_t i = 0; i < count; ++i)
            texts.emplace_back(static_cast<const EngineStringEntry*>(handle)->text);
    return texts;
}

bool engineStringHeld(EngineStringHandle handle) {
    auto& p = pool();
    std::lock_guard lock(p.mutex);
    auto held = p.heldByPlugin.find(handle);
    return held != p.heldByPlugin.end() && held->second > 0;
}

void resetEngineStringLedger() {
    auto& p = pool();
    std::lock_guard lock(p.mutex);
    p.heldByPlugin.clear();
    p.ledger = {};
}

}  // namespace hostsim
