#pragma once
// Reads the small HTML subset of the form files byte by byte. Every "<" starts
// a tag, wherever it stands (no comments, no entities); tag positions are the
// offsets just after their "<". What is malformed reads as absent.
//
// Hostile texts stay cheap: the bytes that end tags, quotes and unquoted values
// and the closing tags are indexed once per text, and attribute lookups done in
// tag order never scan the same bytes twice, so scanning every tag of a text
// and asking each for its attributes and inner text is near-linear.
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CHtmlScanner {
public:
    static constexpr std::size_t npos = std::size_t(-1);
    static constexpr std::size_t kMaxTagName = 31;
    static constexpr std::size_t kMaxValue = 1023;       // unquoted values, inner texts
    static constexpr std::size_t kMaxQuotedValue = 1022; // quoted values

    CHtmlScanner();
    ~CHtmlScanner();
    CHtmlScanner(const CHtmlScanner&) = delete;
    CHtmlScanner& operator=(const CHtmlScanner&) = delete;

    // Reads the whole file (path bytes) as the text, which ends at its first NUL
    // byte. -1 when the file cannot be opened (the text is then empty), else 1.
    int LoadFile(const std::string& path);
    // Takes text as the text (also ending at its first NUL byte).
    void SetText(std::string text);
    const std::string& Text() const { return m_text; }

    // Tag positions in text order: the offset just after a "<", or npos.
    std::size_t First();
    std::size_t Next();

    // Up to 31 bytes after the "<", ending before NUL, space, ">", TAB, LF or a
    // "/" at the third byte or later; ASCII letters folded to lower case.
    // A closing tag's name therefore starts with "/".
    std::string TagName(std::size_t pos) const;

    // The value of the attribute name (ASCII case ignored) of the tag at pos,
    // or none. The tag reaches to the first ">" after its "<" (to the end of
    // the text when there is none). The name counts right after a space, TAB,
    // CR or LF inside the tag when "=" or one space and "=" follows; the first
    // such occurrence decides, and one followed by a space and something other
    // than "=" gives none. A value in double or single quotes runs to the next
    // same quote (it may hold ">") and is cut to 1022 bytes; an unquoted one
    // runs to the next space, ">", CR, LF or TAB and is cut to 1023 bytes. A
    // value that would begin with a blank, an unterminated quote or an unquoted
    // value that reaches the end of the text gives none.
    std::optional<std::string> Attribute(std::size_t pos, std::string_view name) const;

    // The bytes between the tag's ">" and the "<" of the first later "</name"
    // (ASCII case ignored) that a ">" or a space follows; nested tags of the
    // same name are not counted. None for a tag that ends with "/>", that has
    // no ">", or that has no closing tag. Cut to 1023 bytes.
    std::optional<std::string> InnerText(std::size_t pos) const;

    // The choices of a select tag: its inner text scanned as a text of its
    // own; each option tag gives its value attribute or, when that is empty,
    // its own inner text; empty choices are skipped; order kept.
    std::vector<std::string> Options(std::size_t pos) const;

private:
    struct Index;
    struct NameSearch;

    const Index& GetIndex() const;
    std::size_t TagEnd(std::size_t pos) const;
    std::size_t FindAttributeName(std::size_t pos, std::size_t tagEnd,
                                  const std::string& name) const;
    std::optional<std::string> ValueAt(std::size_t start) const;

    std::string m_text;
    std::size_t m_read = 0;
    // Built on first use for the current text; lookups keep them up to date.
    mutable std::unique_ptr<Index> m_index;
    mutable std::vector<NameSearch> m_nameSearches;
};
