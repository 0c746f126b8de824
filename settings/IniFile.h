#pragma once
// An INI document in memory: sections of keys with values, read from and
// written to a file byte for byte. Names and values are GBK byte strings;
// section and key names match without regard to ASCII letter case.
#include <string>
#include <string_view>
#include <vector>

class CIniFile {
public:
    CIniFile();
    virtual ~CIniFile();
    CIniFile(const CIniFile&) = delete;
    CIniFile& operator=(const CIniFile&) = delete;
    CIniFile(CIniFile&&) noexcept;
    CIniFile& operator=(CIniFile&&) noexcept;

    // False when the file does not exist (the document stays as it was) or
    // cannot be opened (the document is then empty).
    bool Load(const std::string& path);
    // Replaces the file as a whole; false when it cannot be written, in which
    // case the file on disk is untouched.
    bool Save(const std::string& path) const;
    void Clear();

    // Empty when the section or the key is missing; HasValue tells the two apart.
    std::string GetString(const std::string& section, const std::string& key);
    bool HasValue(const std::string& section, const std::string& key);
    int GetInt(const std::string& section, const std::string& key);
    // Create the section and the key when missing; always true.
    bool SetString(const std::string& section, const std::string& key, const std::string& value);
    bool SetInt(const std::string& section, const std::string& key, int value);

    // Both empty the list first and return the number of names listed.
    int GetSectionNames(std::vector<std::string>& names);
    int GetKeyNames(const std::string& section, std::vector<std::string>* names);

private:
    struct Key {
        std::string name;
        std::string value;
    };
    struct Section {
        std::string name;
        std::vector<Key> keys;
    };
    static constexpr size_t kNone = size_t(-1);

    void Parse(std::string_view text);
    void ParseLine(std::string_view line);
    size_t FindSection(std::string_view name) const;
    size_t SectionFor(std::string_view name) const;
    const std::string* FindValue(const std::string& section, const std::string& key);
    std::string Serialize() const;

    std::vector<Section> m_sections;
    // Index of the section that the latest lookup or change used. It is always
    // the first case-insensitive match of its own name, so an exact-case
    // repeat of that name may use it without searching.
    size_t m_lastSection = kNone;
};
