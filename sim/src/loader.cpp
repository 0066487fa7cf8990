#include "hostsim/loader.h"

#include <atomic>
#include <mutex>

#include "hostsim/game_code.h"
#include "hostsim/offsets.h"
#include "hostsim/site_code.h"
#include "hostsim/transcript.h"

namespace hostsim {
namespace {

struct LoaderRecord {
    std::mutex mutex;
    std::vector<ListenerRegistration> registrations;
    std::atomic<bool> messagingAvailable{true};
    std::atomic<bool> registrationAvailable{true};
};

LoaderRecord& loaderRecord() {
    // Never destroyed: the plugin's threads may still call into the game at exit.
    static LoaderRecord& instance = *new LoaderRecord;
    return instance;
}

SIM_ABI bool registerListener(std::uint32_t pluginHandle, const char* sender, LoaderListener listener) {
    GameCodeScope gameCode;
    const std::string senderName = sender ? sender : "";
    recordTranscriptLine("loader: listener registered handle " + std::to_string(pluginHandle) + " sender " +
                         quoted(senderName));
    if (pluginHandle != kSimulatedPluginHandle)
        recordViolation("listener registered with a plugin handle the loader did not give out");
    if (listener == nullptr) {
        recordViolation("listener registered without a function");
        return false;
    }
    auto& r = loaderRecord();
    std::lock_guard lock(r.mutex);
    r.registrations.push_back({pluginHandle, senderName, listener});
    return true;
}

constinit LoaderMessagingRecord messagingInterface{1, 0, registerListener};
constinit LoaderMessagingRecord messagingInterfaceWithoutRegistration{1, 0, nullptr};

SIM_ABI void* queryInterface(std::uint32_t id) {
    GameCodeScope gameCode;
    recordTranscriptLine("loader: interface query " + std::to_string(id));
    const LoaderRecord& r = loaderRecord();
    if (id != kMessagingInterfaceId || !r.messagingAvailable.load()) return nullptr;
    return r.registrationAvailable.load() ? &messagingInterface : &messagingInterfaceWithoutRegistration;
}

SIM_ABI std::uint32_t getPluginHandle() { return kSimulatedPluginHandle; }

constinit LoaderInterfaceRecord theLoaderInterface{kLoaderVersion, kGameRuntimeVersion, 0, 0,
                                                   queryInterface, getPluginHandle};

}  // namespace

const LoaderInterfaceRecord* loaderInterface() { return &theLoaderInterface; }

void setMessagingInterfaceAvailable(bool available) { loaderRecord().messagingAvailable.store(available); }
void setListenerRegistrationAvailable(bool available) { loaderRecord().registrationAvailable.store(available); }

PluginLoadOutcome loadPlugin(const PluginDescriptorRecord* descriptor, PluginLoadEntry load) {
    PluginLoadOutcome outcome;
    if (descriptor == nullptr || load == nullptr) {
        recordTranscriptLine("loader: plugin refused: ObrixPlugin_Version or ObrixPlugin_Load missing");
        return outcome;
    }
    for (auto& line : describeDescriptor(*descriptor)) recordTranscriptLine(std::move(line));
    const auto problems = descriptorProblems(*descriptor);
    for (const auto& problem : problems) recordTranscriptLine("loader: descriptor problem: " + problem);
    if (!problems.empty()) {
        recordTranscriptLine("loader: plugin refused");
        return outcome;
    }
    outcome.descriptorAccepted = true;
    outcome.loadCalled = true;
    siteCodeBeforePluginLoad();
    outcome.loadReturned = load(&theLoaderInterface);
    siteCodeAfterPluginLoad(outcome.loadReturned);
    recordTranscriptLine(std::string("loader: ObrixPlugin_Load returned ") + (outcome.loadReturned ? "true" : "false"));
    return outcome;
}

std::size_t sendLoaderMessage(std::uint32_t type) {
    std::vector<ListenerRegistration> listeners;
    {
        auto& r = loaderRecord();
        std::lock_guard lock(r.mutex);
        for (const auto& registration : r.registrations)
            if (registration.sender == "Obrix") listeners.push_back(registration);
    }
    LoaderMessageRecord message{"Obrix", type, 0, nullptr};
    for (const auto& registration : listeners) registration.listener(&message);
    recordTranscriptLine("loader: message " + std::to_string(type) + " delivered to " +
                         std::to_string(listeners.size()) + " listener" + (listeners.size() == 1 ? "" : "s"));
    return listeners.size();
}

std::vector<ListenerRegistration> listenerRegistrations() {
    auto& r = loaderRecord();
    std::lock_guard lock(r.mutex);
    return r.registrations;
}

}  // namespace hostsim
