#include "base/descriptor.h"

extern "C" const PluginDescriptor ObrixPlugin_Version = {
    1,
    kPluginVersion,
    LUMORA_PLUGIN_NAME,
    LUMORA_AUTHOR,
    0,  // fixed addresses of one game build
    0,  // structure layouts of that build
    {kSupportedRuntime},
    0,
    0,
    0,
};
