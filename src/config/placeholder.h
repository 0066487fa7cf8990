#pragma once
// The count line's template "Found % matches." split around its "%".
#include <string>

namespace lumora {

struct PlaceholderParts {
    std::string before;
    std::string after;
};

// Fills parts from the template's first "%". A template that is empty or has
// no "%" puts an error text into `before` and leaves `after` as it was.
void splitAtPlaceholder(std::string templateText, PlaceholderParts& parts);

}  // namespace lumora
