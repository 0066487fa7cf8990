#pragma once
// Shared by the descriptor record and the version resource script.
#define LUMORA_AUTHOR "Lumora Team"
#define LUMORA_PLUGIN_NAME "Lumora Search Engine - Obrix Plugin by " LUMORA_AUTHOR
