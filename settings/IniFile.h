#pragma once
// An INI document in memory: sections of keys with values, read from a file
// and written back byte for byte. Names and values are GBK byte strings; no
// code-page conversion, no byte-order mark and no character-set handling
// happen here. Paths are path bytes (platform/CodePage.h).
//
// The dialect, as Load reads it:
// - Lines end at LF. Every CR byte is removed wherever it stands, so CR LF
//   and LF end lines alike and a lone CR vanishes without ending its line.
//   A NUL byte is an ordinary byte of a name or a value.
// - Leading spaces (0x20, not tabs) are dropped; an empty line is skipped.
// - A line that starts with "[" is a section header: the name runs from after
//   the last of the leading "[" to the first "]"; anything after that "]" is
//   ignored. A header without "]" is dropped, and the key lines after it
//   belong to the section before it. A header may name an empty section.
// - Any other line is a key line: the name is the text before the first "=",
//   the value all after it (further "=" included); neither is trimmed, so
//   "Key = v" is the key "Key " with the value " v". A line without "=" is a
//   key with an empty value. Key lines before the first header are dropped.
// - There are no comments: ";x" is a key named ";x", written back as ";x=".
// - Duplicate sections and duplicate keys within a section are all kept and
//   all written back; lookups reach only the first of them.
//
// Values are escaped on one line: "\\", "\r" and "\n" stand for a backslash,
// CR and LF; a backslash before any other byte, or at the end, stands for
// itself. Escaping works on bytes, so a double-byte character whose trail
// byte is 0x5C has that byte doubled on save and halved on load, and every
// value Save writes reads back identically, line breaks included. Names are
// written unescaped: a key name holding "=" or starting with blanks, or a
// section name holding "]", does not come back unchanged.
//
// Section and key names compare without regard to the case of ASCII letters,
// a double-byte character as a whole (its trail byte never folds).
//
// Save writes an empty line before every section header ("\r\n[name]\r\n"),
// then each key as "name=escaped value\r\n"; an empty document gives an empty
// file.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CFileWriter;

// What Load found at the path.
enum class EIniLoad {
    Loaded,     // the whole file was read
    Missing,    // no file there; the document was left as it was
    Unreadable, // a file is there but could not be read whole (not a regular
                // file, larger than kMaxFileBytes, no right to read it, a read
                // error midway): the document holds the lines read before the
                // error, if any. Never save such a document over that file.
};

class CIniFile {
public:
    // Larger files are not read: settings files hold tens of keys.
    static constexpr long long kMaxFileBytes = 16 << 20;

    CIniFile();
    virtual ~CIniFile();
    CIniFile(const CIniFile&) = delete;
    CIniFile& operator=(const CIniFile&) = delete;
    CIniFile(CIniFile&&) noexcept;
    CIniFile& operator=(CIniFile&&) noexcept;

    // Replaces the document with the file's content (see EIniLoad). Never
    // waits on a pipe or a device, and gives up on a file larger than
    // kMaxFileBytes without reading it.
    EIniLoad Load(const std::string& path);
    // Puts the document into the file whole or not at all (CFileWriter):
    // false leaves the file's old content in place. The document is not
    // changed and the path is not remembered.
    bool Save(const std::string& path) const;
    bool Save(const std::string& path, CFileWriter& writer) const;
    void Clear();

    // Empty when the section or the key is missing; HasValue tells the two apart.
    std::string GetString(const std::string& section, const std::string& key);
    bool HasValue(const std::string& section, const std::string& key);
    // Like atoi: leading white space and a sign, digits up to the first other
    // byte, 0 without digits or for a missing key; out-of-range numbers stop
    // at the nearest limit.
    int GetInt(const std::string& section, const std::string& key);
    // Create the section and the key when missing (at the end of their
    // lists); an existing name keeps its letter case. Always true.
    bool SetString(const std::string& section, const std::string& key, const std::string& value);
    bool SetInt(const std::string& section, const std::string& key, int value);

    // Both empty the list first and return the number of names listed.
    // Sections with an empty name are not listed (Save still writes them).
    int GetSectionNames(std::vector<std::string>& names);
    // 0 when the list is absent or the section is missing.
    int GetKeyNames(const std::string& section, std::vector<std::string>* names);

private:
    class Text;
    struct Key;
    struct Section;
    static constexpr size_t kNone = size_t(-1);

    void Parse(char* text, size_t length);
    void ParseLine(char* line, size_t length);
    size_t FindSection(std::string_view name) const;
    size_t SectionFor(std::string_view name) const;
    const Text* FindValue(std::string_view section, std::string_view key);
    std::string Serialize() const;

    // The bytes of the loaded file: names and values read from it are views
    // into this buffer, unescaped in place.
    std::unique_ptr<char[]> m_loaded;
    std::vector<Section> m_sections;
    // Index of the section that the latest lookup or change used. It is always
    // the first case-insensitive match of its own name, so an exact-case
    // repeat of that name may use it without searching.
    size_t m_lastSection = kNone;
};
