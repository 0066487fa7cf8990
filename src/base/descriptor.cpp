#include "base/descriptor.h"

extern "C" const lumora::PluginDescriptor ObrixPlugin_Version = {
    1,
    lumora::kPluginVersion,
    LUMORA_PLUGIN_NAME,
    LUMORA_AUTHOR,
    0,  // fixed addresses of one game build
    0,  // structure layouts of that build
    {lumora::kSupportedRuntime},
    0,
    0,
    0,
};
