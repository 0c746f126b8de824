#include "settings/IniFile.h"

#include "platform/CodePage.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

// Bytes are bytes here: no code-page conversion, no byte-order mark. A NUL
// byte is an ordinary byte of a name or a value: it is kept on load and
// written back on save, so a file with NUL bytes survives a round trip.

namespace {

// Case-insensitive match of two GBK names. Folding keeps every character at
// its byte length, so names of different lengths never match.
bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && GbkEqualNoCase(a, b);
}

// Reads the whole file with as few calls as it allows: one read and one
// end-of-file check for a regular file whose size is known.
bool ReadWholeFile(QFile& file, std::string& bytes) {
    bytes.resize(size_t(std::max<qint64>(file.size(), 0)) + 1);
    size_t length = 0;
    bool complete = true;
    for (;;) {
        if (length == bytes.size())
            bytes.resize(bytes.size() * 2);
        const qint64 got = file.read(bytes.data() + length, qint64(bytes.size() - length));
        if (got <= 0) {
            complete = got == 0;
            break;
        }
        length += size_t(got);
    }
    bytes.resize(length);
    return complete;
}

// A line's bytes without CR bytes wherever they stand. The usual line keeps
// its single CR before the LF and needs no copy.
std::string_view WithoutCarriageReturns(std::string_view line, std::string& scratch) {
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    if (line.find('\r') == std::string_view::npos)
        return line;
    scratch.clear();
    for (char c : line)
        if (c != '\r')
            scratch += c;
    return scratch;
}

// "\\", "\r" and "\n" stand for a backslash, CR and LF. Any other backslash,
// a last one included, stands for itself.
std::string Unescaped(std::string_view value) {
    size_t backslash = value.find('\\');
    if (backslash == std::string_view::npos)
        return std::string(value);
    std::string out;
    out.reserve(value.size());
    size_t pos = 0;
    for (; backslash != std::string_view::npos; backslash = value.find('\\', pos)) {
        out.append(value, pos, backslash - pos);
        const char next = backslash + 1 < value.size() ? value[backslash + 1] : '\0';
        const bool escape = next == '\\' || next == 'r' || next == 'n';
        out += next == 'r' ? '\r' : next == 'n' ? '\n' : '\\';
        pos = backslash + (escape ? 2 : 1);
    }
    out.append(value, pos);
    return out;
}

// Works on bytes: the trail byte 0x5C of a double-byte character is doubled
// like any backslash, and Unescaped halves it again.
void AppendEscaped(std::string& out, const std::string& value) {
    for (char c : value) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
}

// Like atoi: leading white space and a sign, digits up to the first other
// byte, 0 without digits. Out-of-range numbers stop at the nearest limit.
int DecimalValue(const std::string& text) {
    const char* p = text.c_str();
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    const long long limit = negative ? -(long long)INT_MIN : INT_MAX;
    long long value = 0;
    for (; *p >= '0' && *p <= '9'; ++p)
        value = std::min(value * 10 + (*p - '0'), limit);
    return int(negative ? -value : value);
}

template <typename Keys> auto FindKey(Keys& keys, std::string_view name) -> decltype(&keys[0]) {
    for (auto& key : keys)
        if (SameName(key.name, name))
            return &key;
    return nullptr;
}

} // namespace

CIniFile::CIniFile() = default;
CIniFile::~CIniFile() = default;
CIniFile::CIniFile(CIniFile&&) noexcept = default;
CIniFile& CIniFile::operator=(CIniFile&&) noexcept = default;

bool CIniFile::Load(const std::string& path) {
    QFile file(FromGbk(path));
    if (!file.exists())
        return false;
    Clear();
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return false;
    std::string bytes;
    const bool complete = ReadWholeFile(file, bytes);
    Parse(bytes);
    return complete;
}

void CIniFile::Parse(std::string_view text) {
    std::string scratch;
    size_t pos = 0;
    while (pos < text.size()) {
        const char* begin = text.data() + pos;
        const void* lf = std::memchr(begin, '\n', text.size() - pos);
        const size_t end = lf ? size_t(static_cast<const char*>(lf) - text.data()) : text.size();
        ParseLine(WithoutCarriageReturns(std::string_view(begin, end - pos), scratch));
        pos = end + 1;
    }
}

void CIniFile::ParseLine(std::string_view line) {
    const size_t start = line.find_first_not_of(' ');
    if (start == std::string_view::npos)
        return;
    line.remove_prefix(start);
    if (line.front() == '[') {
        const size_t close = line.find(']');
        if (close == std::string_view::npos)
            return;
        std::string_view name = line.substr(0, close);
        name.remove_prefix(std::min(name.find_first_not_of('['), name.size()));
        m_sections.push_back(Section{std::string(name), {}});
        return;
    }
    if (m_sections.empty())
        return;
    const size_t equals = line.find('=');
    std::vector<Key>& keys = m_sections.back().keys;
    if (equals == std::string_view::npos)
        keys.push_back(Key{std::string(line), std::string()});
    else
        keys.push_back(Key{std::string(line.substr(0, equals)), Unescaped(line.substr(equals + 1))});
}

std::string CIniFile::Serialize() const {
    size_t size = 0;
    for (const Section& section : m_sections) {
        size += section.name.size() + 6;
        for (const Key& key : section.keys)
            size += key.name.size() + key.value.size() + 3;
    }
    std::string out;
    out.reserve(size + size / 8);
    for (const Section& section : m_sections) {
        out += "\r\n[";
        out += section.name;
        out += "]\r\n";
        for (const Key& key : section.keys) {
            out += key.name;
            out += '=';
            AppendEscaped(out, key.value);
            out += "\r\n";
        }
    }
    return out;
}

bool CIniFile::Save(const std::string& path) const {
    const std::string bytes = Serialize();
    // The new content goes to a file beside the target that then replaces it
    // in one rename, so a failed save never leaves a half-written file.
    QSaveFile file(FromGbk(path));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size())) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

void CIniFile::Clear() {
    m_sections.clear();
    m_lastSection = kNone;
}

size_t CIniFile::FindSection(std::string_view name) const {
    for (size_t i = 0; i < m_sections.size(); ++i)
        if (SameName(m_sections[i].name, name))
            return i;
    return kNone;
}

// The remembered section when the name is exactly its name, else a search.
size_t CIniFile::SectionFor(std::string_view name) const {
    if (m_lastSection != kNone && m_sections[m_lastSection].name == name)
        return m_lastSection;
    return FindSection(name);
}

const std::string* CIniFile::FindValue(const std::string& section, const std::string& key) {
    const size_t index = SectionFor(section);
    if (index == kNone)
        return nullptr;
    const Key* found = FindKey(m_sections[index].keys, key);
    if (!found)
        return nullptr;
    m_lastSection = index;
    return &found->value;
}

std::string CIniFile::GetString(const std::string& section, const std::string& key) {
    const std::string* value = FindValue(section, key);
    return value ? *value : std::string();
}

bool CIniFile::HasValue(const std::string& section, const std::string& key) {
    return FindValue(section, key) != nullptr;
}

int CIniFile::GetInt(const std::string& section, const std::string& key) {
    const std::string* value = FindValue(section, key);
    return value ? DecimalValue(*value) : 0;
}

bool CIniFile::SetString(const std::string& section, const std::string& key,
                         const std::string& value) {
    size_t index = SectionFor(section);
    if (index == kNone) {
        index = m_sections.size();
        m_sections.push_back(Section{section, {}});
    }
    std::vector<Key>& keys = m_sections[index].keys;
    Key* found = FindKey(keys, key);
    if (!found) {
        keys.push_back(Key{key, std::string()});
        found = &keys.back();
    }
    found->value = value;
    m_lastSection = index;
    return true;
}

bool CIniFile::SetInt(const std::string& section, const std::string& key, int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    return SetString(section, key, text);
}

int CIniFile::GetSectionNames(std::vector<std::string>& names) {
    names.clear();
    for (const Section& section : m_sections)
        if (!section.name.empty())
            names.push_back(section.name);
    return int(names.size());
}

int CIniFile::GetKeyNames(const std::string& section, std::vector<std::string>* names) {
    if (!names)
        return 0;
    names->clear();
    const size_t index = SectionFor(section);
    if (index == kNone)
        return 0;
    for (const Key& key : m_sections[index].keys)
        names->push_back(key.name);
    return int(names->size());
}
