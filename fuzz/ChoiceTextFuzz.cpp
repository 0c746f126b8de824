// The choice text of a drop-down list: no choice holds a ";", and the choices
// joined with ";" give back the text (a closing ";" aside, which adds no
// choice), so no byte is lost, added or moved to another choice.
#include "fuzz/FuzzSupport.h"
#include "toolkit/ChoiceText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(FuzzBytes(data, size));
    const std::vector<std::string> choices = SplitChoices(text);
    std::string joined;
    for (std::size_t i = 0; i < choices.size(); ++i) {
        FUZZ_CHECK(choices[i].find(';') == std::string::npos);
        joined += (i ? ";" : "") + choices[i];
    }
    if (!text.empty() && text.back() == ';')
        joined += ';';
    FUZZ_CHECK(joined == text);
    return 0;
}
