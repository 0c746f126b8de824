#pragma once
// An INI document in memory: sections of keys with values, read from and
// written to a file byte for byte. Names and values are GBK byte strings;
// section and key names match without regard to ASCII letter case.
#include <memory>
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
    // cannot be opened (the document is then empty). A read error midway
    // through also gives false, with the lines read so far in the document.
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
