#pragma once
// Makes the galaxy star map focus a body.

namespace lumora {

// Sends "SetBodyFocusForQuest" with the form's id to the star map, whether or
// not the map is open. Results:
//   true   the request was handed to the game's UI message queue;
//   false  a null form, or the game has no UI message queue (nothing sent).
bool FocusStarMapOnBody(void* form);

}  // namespace lumora
