#include "config/ui_texts.h"

namespace lumora {

UiTextsRecord UiTexts;

void resetUiTextsToDefaults() { UiTexts = UiTextsRecord{}; }

}  // namespace lumora
