#include "settings/IniFile.h"

#include "platform/CodePage.h"
#include "settings/FileWriter.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Case-insensitive match of two GBK names. Folding keeps every character at
// its byte length, so names of different lengths never match.
bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && GbkEqualNoCase(a, b);
}

// Reads an open file to its end, into a buffer of its stated size to begin
// with, and never more than the limit.
EIniLoad ReadAll(int fd, size_t size, std::unique_ptr<char[]>& buffer, size_t& length) {
    const size_t limit = size_t(CIniFile::kMaxFileBytes);
    size_t capacity = size + 1;
    buffer.reset(new char[capacity]);
    length = 0;
    for (;;) {
        if (length == capacity) {
            if (capacity > limit)
                return EIniLoad::Unreadable;
            const size_t bigger = std::min(capacity * 2, limit + 1);
            std::unique_ptr<char[]> grown(new char[bigger]);
            std::memcpy(grown.get(), buffer.get(), length);
            buffer = std::move(grown);
            capacity = bigger;
        }
        const ssize_t got = ::read(fd, buffer.get() + length, capacity - length);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return got == 0 ? EIniLoad::Loaded : EIniLoad::Unreadable;
        length += size_t(got);
    }
}

// Closes the file on the way out.
struct FileDescriptor {
    explicit FileDescriptor(int value) : fd(value) {}
    ~FileDescriptor() {
        if (fd >= 0)
            ::close(fd);
    }
    const int fd;
};

// Drops every CR byte of a line in place and returns its new end. The usual
// line has a single CR at its end.
char* RemoveCarriageReturns(char* begin, char* end) {
    char* out = static_cast<char*>(std::memchr(begin, '\r', size_t(end - begin)));
    if (!out)
        return end;
    for (const char* in = out; in < end; ++in)
        if (*in != '\r')
            *out++ = *in;
    return out;
}

// "\\", "\r" and "\n" stand for a backslash, CR and LF. Any other backslash,
// a last one included, stands for itself. Unescaping only ever shortens the
// text, so it happens in place.
std::string_view UnescapeInPlace(char* begin, char* end) {
    char* out = static_cast<char*>(std::memchr(begin, '\\', size_t(end - begin)));
    if (!out)
        return std::string_view(begin, size_t(end - begin));
    for (const char* in = out; in < end;) {
        const char next = in + 1 < end ? in[1] : '\0';
        if (*in == '\\' && (next == '\\' || next == 'r' || next == 'n')) {
            *out++ = next == 'r' ? '\r' : next == 'n' ? '\n' : '\\';
            in += 2;
        } else {
            *out++ = *in++;
        }
    }
    return std::string_view(begin, size_t(out - begin));
}

// Works on bytes: the trail byte 0x5C of a double-byte character is doubled
// like any backslash, and UnescapeInPlace halves it again.
void AppendEscaped(std::string& out, std::string_view value) {
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
int DecimalValue(std::string_view text) {
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p < end && (*p == ' ' || (*p >= '\t' && *p <= '\r')))
        ++p;
    const bool negative = p < end && *p == '-';
    if (p < end && (*p == '-' || *p == '+'))
        ++p;
    const long long limit = negative ? -(long long)INT_MIN : INT_MAX;
    long long value = 0;
    for (; p < end && *p >= '0' && *p <= '9'; ++p)
        value = std::min(value * 10 + (*p - '0'), limit);
    return int(negative ? -value : value);
}

} // namespace

// The bytes of a name or a value: a view into the loaded file, or, once the
// caller sets it, a string of its own. That string is held by pointer so that
// the view stays valid when entries move inside their vectors.
class CIniFile::Text {
public:
    Text() = default;
    explicit Text(std::string_view loaded) : m_view(loaded) {}
    std::string_view View() const { return m_view; }
    void Assign(std::string_view bytes) {
        if (!m_owned)
            m_owned = std::make_unique<std::string>();
        m_owned->assign(bytes.data(), bytes.size());
        m_view = *m_owned;
    }

private:
    std::string_view m_view;
    std::unique_ptr<std::string> m_owned;
};

struct CIniFile::Key {
    Text name;
    Text value;
};

struct CIniFile::Section {
    Text name;
    std::vector<Key> keys;
};

namespace {
template <typename Keys> auto FindKey(Keys& keys, std::string_view name) -> decltype(&keys[0]) {
    for (auto& key : keys)
        if (SameName(key.name.View(), name))
            return &key;
    return nullptr;
}
} // namespace

CIniFile::CIniFile() = default;
CIniFile::~CIniFile() = default;
CIniFile::CIniFile(CIniFile&&) noexcept = default;
CIniFile& CIniFile::operator=(CIniFile&&) noexcept = default;

EIniLoad CIniFile::Load(const std::string& path) {
    // Opened without waiting, so that a pipe with no writer cannot hold it;
    // only a regular file is then read.
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.fd < 0 && (errno == ENOENT || errno == ENOTDIR))
        return EIniLoad::Missing;
    Clear();
    struct stat status;
    if (file.fd < 0 || ::fstat(file.fd, &status) != 0 || !S_ISREG(status.st_mode) ||
        status.st_size > kMaxFileBytes)
        return EIniLoad::Unreadable;
    size_t length = 0;
    const EIniLoad result = ReadAll(file.fd, size_t(status.st_size), m_loaded, length);
    Parse(m_loaded.get(), length);
    return result;
}

// One pass over the file's bytes: lines end at LF; everything else that a
// line needs (CR removal, unescaping) happens in place inside the buffer.
void CIniFile::Parse(char* text, size_t length) {
    char* const end = text + length;
    for (char* line = text; line < end;) {
        char* lf = static_cast<char*>(std::memchr(line, '\n', size_t(end - line)));
        char* lineEnd = lf ? lf : end;
        ParseLine(line, size_t(RemoveCarriageReturns(line, lineEnd) - line));
        line = lineEnd + 1;
    }
}

void CIniFile::ParseLine(char* line, size_t length) {
    char* const end = line + length;
    while (line < end && *line == ' ')
        ++line;
    if (line == end)
        return;
    if (*line == '[') {
        const char* close = static_cast<const char*>(std::memchr(line, ']', size_t(end - line)));
        if (!close)
            return;
        const char* name = line;
        while (name < close && *name == '[')
            ++name;
        m_sections.push_back(Section{Text(std::string_view(name, size_t(close - name))), {}});
        return;
    }
    if (m_sections.empty())
        return;
    char* equals = static_cast<char*>(std::memchr(line, '=', size_t(end - line)));
    char* const nameEnd = equals ? equals : end;
    const std::string_view value = equals ? UnescapeInPlace(equals + 1, end) : std::string_view();
    m_sections.back().keys.push_back(
        Key{Text(std::string_view(line, size_t(nameEnd - line))), Text(value)});
}

std::string CIniFile::Serialize() const {
    size_t size = 0;
    for (const Section& section : m_sections) {
        size += section.name.View().size() + 6;
        for (const Key& key : section.keys)
            size += key.name.View().size() + key.value.View().size() + 3;
    }
    std::string out;
    out.reserve(size + size / 8);
    for (const Section& section : m_sections) {
        out += "\r\n[";
        out += section.name.View();
        out += "]\r\n";
        for (const Key& key : section.keys) {
            out += key.name.View();
            out += '=';
            AppendEscaped(out, key.value.View());
            out += "\r\n";
        }
    }
    return out;
}

bool CIniFile::Save(const std::string& path) const {
    CFileWriter writer;
    return Save(path, writer);
}

bool CIniFile::Save(const std::string& path, CFileWriter& writer) const {
    return writer.Replace(path, Serialize());
}

void CIniFile::Clear() {
    m_sections.clear();
    m_loaded.reset();
    m_lastSection = kNone;
}

size_t CIniFile::FindSection(std::string_view name) const {
    for (size_t i = 0; i < m_sections.size(); ++i)
        if (SameName(m_sections[i].name.View(), name))
            return i;
    return kNone;
}

// The remembered section when the name is exactly its name, else a search.
size_t CIniFile::SectionFor(std::string_view name) const {
    if (m_lastSection != kNone && m_sections[m_lastSection].name.View() == name)
        return m_lastSection;
    return FindSection(name);
}

const CIniFile::Text* CIniFile::FindValue(std::string_view section, std::string_view key) {
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
    const Text* value = FindValue(section, key);
    return value ? std::string(value->View()) : std::string();
}

bool CIniFile::HasValue(const std::string& section, const std::string& key) {
    return FindValue(section, key) != nullptr;
}

int CIniFile::GetInt(const std::string& section, const std::string& key) {
    const Text* value = FindValue(section, key);
    return value ? DecimalValue(value->View()) : 0;
}

bool CIniFile::SetString(const std::string& section, const std::string& key,
                         const std::string& value) {
    size_t index = SectionFor(section);
    if (index == kNone) {
        index = m_sections.size();
        m_sections.emplace_back();
        m_sections.back().name.Assign(section);
    }
    std::vector<Key>& keys = m_sections[index].keys;
    Key* found = FindKey(keys, key);
    if (!found) {
        found = &keys.emplace_back();
        found->name.Assign(key);
    }
    found->value.Assign(value);
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
        if (!section.name.View().empty())
            names.emplace_back(section.name.View());
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
        names->emplace_back(key.name.View());
    return int(names->size());
}
