// The text fields of the CSV export: a line of them, read back by a plain
// CSV reader, gives every field unchanged, whatever bytes it holds (double
// quotes, commas, CR and LF, GBK trail bytes). The input is the fields
// separated by NUL bytes (a field, a C string, holds none); a NULL field
// ends the line.
#include "fuzz/FuzzSupport.h"
#include "sites/CsvField.h"

#include <vector>

namespace {

// Quoted fields separated by "," up to the final CR LF, as a spreadsheet
// reads them: inside the quotes a doubled quote stands for one.
std::vector<std::string> ReadQuotedLine(std::string_view line) {
    std::vector<std::string> fields;
    std::size_t pos = 0;
    for (;;) {
        FUZZ_CHECK(pos < line.size() && line[pos] == '"');
        std::string field;
        for (++pos;; ++pos) {
            FUZZ_CHECK(pos < line.size());
            if (line[pos] == '"' && (pos + 1 == line.size() || line[pos + 1] != '"'))
                break;
            field += line[pos];
            if (line[pos] == '"')
                ++pos;
        }
        fields.push_back(field);
        if (++pos == line.size() || line[pos] != ',')
            break;
        ++pos;
    }
    FUZZ_CHECK(line.substr(pos) == "\r\n");
    return fields;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = FuzzBytes(data, size);
    std::vector<std::string> fields;
    std::string line;
    for (std::size_t start = 0;;) {
        const std::size_t end = std::min(bytes.find('\0', start), bytes.size());
        fields.emplace_back(bytes.substr(start, end - start));
        AppendQuotedField(line, fields.back().c_str());
        line += ',';
        if (end == bytes.size())
            break;
        start = end + 1;
    }
    AppendQuotedField(line, nullptr);
    fields.emplace_back();
    line += "\r\n";
    FUZZ_CHECK(ReadQuotedLine(line) == fields);
    return 0;
}
