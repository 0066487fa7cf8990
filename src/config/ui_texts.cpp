#include "config/ui_texts.h"

UiTextsRecord UiTexts;

void resetUiTextsToDefaults() { UiTexts = UiTextsRecord{}; }
