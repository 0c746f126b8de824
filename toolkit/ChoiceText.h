#pragma once
// The choices of a drop-down list given as one text: every ";" ends one
// choice, an empty one included; the text after the last ";" is a final
// choice only when it is not empty. ";A;;B;" gives "", "A", "", "B".
#include <string>
#include <vector>

std::vector<std::string> SplitChoices(const std::string& choices);
