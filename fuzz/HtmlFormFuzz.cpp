// CHtmlScanner as the form builder (CHtmlForm) uses it, and the form document
// the builder derives from its answers.
//
// The builder itself makes windows for every control, which is too slow for a
// fuzzer and adds nothing to the parsing: the target asks the scanner the
// questions the builder asks, tag by tag in the builder's order (the order
// matters: the scanner keeps the answer of the last lookup of each attribute
// name), and compares every answer with a plain reading of the scanner's
// rules that scans the text anew for each question. The records the builder
// would make (section = control id, ControlId, ControlType, Name, Value,
// field) go into a CIniFile form document, which must read back every one of
// them and find the first record of each name.
#include "fuzz/FuzzSupport.h"
#include "settings/IniFile.h"
#include "toolkit/HtmlScanner.h"

#include <algorithm>
#include <map>
#include <optional>
#include <vector>

namespace {

using Answer = std::optional<std::string>;
constexpr std::size_t npos = CHtmlScanner::npos;

char Fold(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The scanner's rules (see HtmlScanner.h) read the slow, obvious way.
class CPlainScanner {
public:
    explicit CPlainScanner(std::string text) : m_text(std::move(text)) {
        m_text.resize(std::min(m_text.size(), m_text.find('\0')));
    }

    std::vector<std::size_t> Tags() const {
        std::vector<std::size_t> tags;
        for (std::size_t i = 0; i < m_text.size(); ++i)
            if (m_text[i] == '<')
                tags.push_back(i + 1);
        return tags;
    }

    std::string TagName(std::size_t pos) const {
        std::string name;
        for (std::size_t i = pos; i < m_text.size() && name.size() < 31; ++i) {
            const char c = m_text[i];
            if (c == ' ' || c == '>' || c == '\t' || c == '\n' || (c == '/' && name.size() >= 2))
                break;
            name += Fold(c);
        }
        return name;
    }

    Answer Attribute(std::size_t pos, const std::string& name) const {
        const std::size_t tagEnd = std::min(m_text.find('>', pos), m_text.size());
        for (std::size_t i = pos + 1; i + name.size() < tagEnd; ++i) {
            if (!IsBlank(m_text[i - 1]) || !MatchesFolded(i, name))
                continue;
            std::size_t equals = i + name.size();
            if (m_text[equals] != '=' && m_text[equals] != ' ')
                continue;
            if (m_text[equals] == ' ')
                ++equals;
            if (equals >= m_text.size() || m_text[equals] != '=')
                return std::nullopt;
            return Value(equals + 1);
        }
        return std::nullopt;
    }

    Answer InnerText(std::size_t pos) const {
        const std::size_t tagEnd = m_text.find('>', pos);
        if (tagEnd == std::string::npos || (tagEnd > pos && m_text[tagEnd - 1] == '/'))
            return std::nullopt;
        const std::string name = TagName(pos);
        for (std::size_t at = tagEnd + 1; at + 2 + name.size() < m_text.size(); ++at) {
            const char after = m_text[at + 2 + name.size()];
            if (m_text.compare(at, 2, "</") == 0 && MatchesFolded(at + 2, name) &&
                (after == '>' || after == ' '))
                return m_text.substr(tagEnd + 1, std::min<std::size_t>(at - tagEnd - 1, 1023));
        }
        return std::nullopt;
    }

    std::vector<std::string> Options(std::size_t pos) const {
        std::vector<std::string> options;
        const Answer inner = InnerText(pos);
        if (!inner)
            return options;
        const CPlainScanner list(*inner);
        for (std::size_t tag : list.Tags()) {
            if (list.TagName(tag) != "option")
                continue;
            std::string choice = list.Attribute(tag, "value").value_or(std::string());
            if (choice.empty())
                choice = list.InnerText(tag).value_or(std::string());
            if (!choice.empty())
                options.push_back(choice);
        }
        return options;
    }

private:
    bool MatchesFolded(std::size_t at, const std::string& folded) const {
        for (std::size_t k = 0; k < folded.size(); ++k)
            if (at + k >= m_text.size() || Fold(m_text[at + k]) != folded[k])
                return false;
        return true;
    }

    Answer Value(std::size_t start) const {
        if (start >= m_text.size())
            return std::nullopt;
        const char first = m_text[start];
        if (first == '"' || first == '\'') {
            const std::size_t close = m_text.find(first, start + 1);
            if (close == std::string::npos)
                return std::nullopt;
            return m_text.substr(start + 1, std::min<std::size_t>(close - start - 1, 1022));
        }
        if (IsBlank(first))
            return std::nullopt;
        const std::size_t end = m_text.find_first_of(" >\r\n\t", start);
        if (end == std::string::npos)
            return std::nullopt;
        return m_text.substr(start, std::min<std::size_t>(end - start, 1023));
    }

    std::string m_text;
};

// Asks both scanners the builder's questions about one tag and writes the
// record the builder would write.
class CFormRecorder {
public:
    CFormRecorder(const CHtmlScanner& scanner, const CPlainScanner& plain)
        : m_scanner(scanner), m_plain(plain) {}

    void AddTag(std::size_t pos) {
        const std::string tag = m_scanner.TagName(pos);
        FUZZ_CHECK(tag == m_plain.TagName(pos));
        if (tag == "title") {
            Inner(pos);
        } else if (tag == "body") {
            Attr(pos, "bgcolor");
        } else if (tag == "font") {
            Attr(pos, "color");
        } else if (tag == "span") {
            const int id = NewRecord();
            if (const std::string name = Attr(pos, "name"); !name.empty())
                Set(id, "Name", name);
            Inner(pos);
        } else if (tag == "img") {
            Attr(pos, "src");
            Attr(pos, "fixed");
            Set(NewRecord(), "ControlType", "Label");
        } else if (tag == "input") {
            AddInput(pos);
        } else if (tag == "textarea") {
            const int id = NewRecord();
            Attr(pos, "fixed");
            Attr(pos, "rows");
            Set(id, "Name", Attr(pos, "name"));
            Inner(pos);
            Field(id, pos);
        } else if (tag == "select") {
            const int id = NewRecord();
            Set(id, "ControlType", "ComboBox");
            Set(id, "Name", Attr(pos, "name"));
            FUZZ_CHECK(m_scanner.Options(pos) == m_plain.Options(pos));
            Attr(pos, "fixed");
            Field(id, pos);
        }
    }

    // Every record reads back, and a name leads to its first record.
    void CheckDocument() {
        std::map<std::string, std::string> firstOfName;
        for (const auto& [id, keys] : m_records) {
            const std::string section = std::to_string(id);
            for (const auto& [key, value] : keys) {
                FUZZ_CHECK(m_document.HasValue(section, key));
                FUZZ_CHECK(m_document.GetString(section, key) == value);
            }
            FUZZ_CHECK(m_document.GetInt(section, "ControlId") == id);
            if (auto name = keys.find("Name"); name != keys.end())
                firstOfName.emplace(name->second, section);
        }
        std::vector<std::string> sections;
        FUZZ_CHECK(m_document.GetSectionNames(sections) == int(m_records.size()));
        for (const auto& [name, section] : firstOfName) {
            auto named = [&, &name = name](const std::string& s) {
                return m_document.HasValue(s, "Name") && m_document.GetString(s, "Name") == name;
            };
            auto first = std::find_if(sections.begin(), sections.end(), named);
            FUZZ_CHECK(first != sections.end() && *first == section);
        }
    }

    bool Full() const { return m_lastId - 8000 >= 4096; }

private:
    void AddInput(std::size_t pos) {
        const std::string type = Attr(pos, "type");
        const std::string value = Attr(pos, "value");
        Attr(pos, "size");
        Attr(pos, "fixed");
        const int id = NewRecord();
        Set(id, "ControlType", "Edit");
        Set(id, "Name", Attr(pos, "name"));
        Set(id, "Value", value);
        Field(id, pos);
        if (type == "submit" || type == "reset" || type == "button") {
            Set(id, "ControlType", "Button");
        } else if (type == "checkbox") {
            Set(id, "ControlType", "CheckBox");
            Attr(pos, "title");
        }
    }

    void Field(int id, std::size_t pos) {
        if (const std::string field = Attr(pos, "field"); !field.empty())
            Set(id, "field", field);
    }

    std::string Attr(std::size_t pos, const std::string& name) {
        const Answer answer = m_scanner.Attribute(pos, name);
        FUZZ_CHECK(answer == m_plain.Attribute(pos, name));
        return answer.value_or(std::string());
    }

    void Inner(std::size_t pos) { FUZZ_CHECK(m_scanner.InnerText(pos) == m_plain.InnerText(pos)); }

    // The next control id, with its record.
    int NewRecord() {
        const int id = ++m_lastId;
        Set(id, "ControlId", std::to_string(id));
        return id;
    }

    void Set(int id, const std::string& key, const std::string& value) {
        m_document.SetString(std::to_string(id), key, value);
        m_records[id][key] = value;
    }

    const CHtmlScanner& m_scanner;
    const CPlainScanner& m_plain;
    CIniFile m_document;
    std::map<int, std::map<std::string, std::string>> m_records;
    int m_lastId = 8000;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = FuzzBytes(data, size);
    CHtmlScanner scanner;
    FUZZ_CHECK(scanner.LoadFile(WriteFuzzFile("form.htm", bytes)) == 1);
    const CPlainScanner plain{std::string(bytes)};

    std::vector<std::size_t> tags;
    for (std::size_t pos = scanner.First(); pos != npos; pos = scanner.Next())
        tags.push_back(pos);
    FUZZ_CHECK(tags == plain.Tags());

    CFormRecorder recorder(scanner, plain);
    for (std::size_t pos = scanner.First(); pos != npos && !recorder.Full(); pos = scanner.Next())
        recorder.AddTag(pos);
    recorder.CheckDocument();
    return 0;
}
