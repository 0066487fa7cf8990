#pragma once
// Another program holding a file open, as a sync client or an editor does:
// opened for reading and sharing nothing, through the system's own file
// functions, so the plugin's opens, moves and deletes of it fail as they
// would on the player's machine.
#include <string>

namespace demo {

// The handle, or nullptr when the file could not be opened.
void* holdFileWithoutSharing(const std::string& path);
void releaseHeldFile(void* handle);

}  // namespace demo
