// CIniFile: whatever a file holds, what Save writes loads back to the same
// sections, keys and values; so does any value set by SetString.
//
// The input is loaded from a file, saved, loaded again and saved again. A
// loaded document's names can hold neither a line end nor the byte that ends
// them ("=" for a key, "]" for a section, no leading blank or "[" either), and
// values are escaped, so the saved text has exactly one reading: two saves
// with the same bytes mean two documents with the same sections, keys and
// values, duplicates and order included. What the interface shows of the two
// documents is compared as well.
#include "fuzz/FuzzSupport.h"
#include "settings/IniFile.h"

#include <vector>

namespace {

void CheckSameContent(CIniFile& first, CIniFile& second) {
    std::vector<std::string> sections, secondSections;
    first.GetSectionNames(sections);
    second.GetSectionNames(secondSections);
    FUZZ_CHECK(sections == secondSections);
    for (const std::string& section : sections) {
        std::vector<std::string> keys, secondKeys;
        FUZZ_CHECK(first.GetKeyNames(section, &keys) == second.GetKeyNames(section, &secondKeys));
        FUZZ_CHECK(keys == secondKeys);
        for (const std::string& key : keys) {
            FUZZ_CHECK(first.HasValue(section, key) && second.HasValue(section, key));
            FUZZ_CHECK(first.GetString(section, key) == second.GetString(section, key));
            FUZZ_CHECK(first.GetInt(section, key) == second.GetInt(section, key));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input = WriteFuzzFile("input.ini", FuzzBytes(data, size));
    const std::string saved = FuzzPath("saved.ini");
    const std::string resaved = FuzzPath("resaved.ini");

    CIniFile loaded;
    FUZZ_CHECK(loaded.Load(input) == EIniLoad::Loaded);
    // Any bytes set as a value come back too: the whole input, in a section
    // the file has or in a new one.
    std::vector<std::string> sections;
    const std::string section = loaded.GetSectionNames(sections) ? sections.back() : "S";
    const std::string value(FuzzBytes(data, size));
    loaded.SetString(section, "FuzzValue", value);
    FUZZ_CHECK(loaded.Save(saved));
    CIniFile reloaded;
    FUZZ_CHECK(reloaded.Load(saved) == EIniLoad::Loaded);
    FUZZ_CHECK(reloaded.Save(resaved));

    FUZZ_CHECK(ReadFuzzFile(saved) == ReadFuzzFile(resaved));
    CheckSameContent(loaded, reloaded);
    FUZZ_CHECK(reloaded.GetString(section, "FuzzValue") == value);
    return 0;
}
