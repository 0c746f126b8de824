#include "toolkit/ChoiceText.h"

std::vector<std::string> SplitChoices(const std::string& choices) {
    std::vector<std::string> result;
    std::string::size_type start = 0;
    for (std::string::size_type end; (end = choices.find(';', start)) != std::string::npos;
         start = end + 1)
        result.push_back(choices.substr(start, end - start));
    if (start < choices.size())
        result.push_back(choices.substr(start));
    return result;
}
