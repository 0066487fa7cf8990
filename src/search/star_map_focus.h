#pragma once
// Makes the galaxy star map focus a body.

namespace lumora {

// Sends "SetBodyFocusForQuest" with the form's id to the star map, whether or
// not the map is open. False only for a null form.
bool FocusStarMapOnBody(void* form);

}  // namespace lumora
