#include "config/load_configuration.h"

#include "config/settings.h"
#include "config/ui_texts.h"

namespace lumora {

void loadConfiguration() {
    Settings = SettingsRecord{};
    resetUiTextsToDefaults();
    loadSettingsFile();
    loadLanguageFile();
}

}  // namespace lumora
