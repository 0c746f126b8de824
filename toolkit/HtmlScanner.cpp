#include "toolkit/HtmlScanner.h"

#include "platform/CodePage.h"

#include <QFile>
#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace {

char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

std::string Folded(std::string_view bytes) {
    std::string out(bytes);
    for (char& c : out)
        c = FoldAscii(c);
    return out;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool EndsUnquotedValue(char c) {
    return c == ' ' || c == '>' || c == '\r' || c == '\n' || c == '\t';
}

// The first entry of sorted positions at or after from, or npos.
std::size_t NextAt(const std::vector<std::size_t>& positions, std::size_t from) {
    auto it = std::lower_bound(positions.begin(), positions.end(), from);
    return it == positions.end() ? CHtmlScanner::npos : *it;
}

std::string Cut(std::string_view bytes, std::size_t limit) {
    return std::string(bytes.substr(0, limit));
}

} // namespace

// Where the bytes that end tags, quoted and unquoted values lie, and where each
// closing tag stands, keyed by its folded name.
struct CHtmlScanner::Index {
    std::vector<std::size_t> tagEnds;
    std::vector<std::size_t> doubleQuotes;
    std::vector<std::size_t> singleQuotes;
    std::vector<std::size_t> unquotedEnds;
    std::unordered_map<std::string, std::vector<std::size_t>> closingTags;

    explicit Index(const std::string& text) {
        for (std::size_t i = 0; i < text.size(); ++i) {
            char c = text[i];
            if (c == '>')
                tagEnds.push_back(i);
            else if (c == '"')
                doubleQuotes.push_back(i);
            else if (c == '\'')
                singleQuotes.push_back(i);
            if (EndsUnquotedValue(c))
                unquotedEnds.push_back(i);
            if (c == '<' && i + 1 < text.size() && text[i + 1] == '/')
                AddClosingTag(text, i);
        }
    }

    // "</" + name + ">" or " ". Only names a tag can have matter, and those are
    // at most 31 bytes without ">" or space.
    void AddClosingTag(const std::string& text, std::size_t at) {
        std::size_t nameStart = at + 2;
        std::size_t limit = std::min(text.size(), nameStart + kMaxTagName + 1);
        for (std::size_t i = nameStart; i < limit; ++i) {
            if (text[i] == '>' || text[i] == ' ') {
                closingTags[Folded(std::string_view(text).substr(nameStart, i - nameStart))]
                    .push_back(at);
                return;
            }
        }
    }
};

// The last lookup of one attribute name: the first occurrence that decides,
// searched from `from` up to `tagEnd`. Tags that share their ">" are asked in
// text order, so a later lookup inside the same stretch reuses the answer or
// scans only bytes no earlier lookup scanned.
struct CHtmlScanner::NameSearch {
    std::string name;
    std::size_t from = 0;
    std::size_t tagEnd = 0;
    std::size_t hit = npos;
};

CHtmlScanner::CHtmlScanner() = default;
CHtmlScanner::~CHtmlScanner() = default;

int CHtmlScanner::LoadFile(const std::string& path) {
    SetText(std::string());
    QFile file(FromPath(path));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    QByteArray bytes = file.readAll();
    SetText(std::string(bytes.constData(), std::size_t(bytes.size())));
    return 1;
}

void CHtmlScanner::SetText(std::string text) {
    if (std::size_t nul = text.find('\0'); nul != std::string::npos)
        text.resize(nul);
    m_text = std::move(text);
    m_read = 0;
    m_index.reset();
    m_nameSearches.clear();
}

std::size_t CHtmlScanner::First() {
    m_read = 0;
    return Next();
}

std::size_t CHtmlScanner::Next() {
    if (m_read >= m_text.size())
        return npos;
    const void* found = std::memchr(m_text.data() + m_read, '<', m_text.size() - m_read);
    if (!found)
        return npos;
    m_read = std::size_t(static_cast<const char*>(found) - m_text.data()) + 1;
    return m_read;
}

std::string CHtmlScanner::TagName(std::size_t pos) const {
    std::string name;
    for (std::size_t i = pos; i < m_text.size() && name.size() < kMaxTagName; ++i) {
        char c = m_text[i];
        if (c == ' ' || c == '>' || c == '\t' || c == '\n')
            break;
        if (c == '/' && name.size() >= 2)
            break;
        name.push_back(FoldAscii(c));
    }
    return name;
}

const CHtmlScanner::Index& CHtmlScanner::GetIndex() const {
    if (!m_index)
        m_index = std::make_unique<Index>(m_text);
    return *m_index;
}

// The ">" that ends the tag at pos, or the end of the text.
std::size_t CHtmlScanner::TagEnd(std::size_t pos) const {
    std::size_t end = NextAt(GetIndex().tagEnds, pos);
    return end == npos ? m_text.size() : end;
}

std::optional<std::string> CHtmlScanner::Attribute(std::size_t pos, std::string_view name) const {
    if (pos > m_text.size() || name.empty())
        return std::nullopt;
    std::size_t tagEnd = TagEnd(pos);
    std::size_t at = FindAttributeName(pos, tagEnd, Folded(name));
    if (at == npos)
        return std::nullopt;
    std::size_t equals = at + name.size();
    if (m_text[equals] == ' ')
        ++equals;
    if (m_text[equals] != '=')
        return std::nullopt;
    return ValueAt(equals + 1);
}

// The first place in [pos, tagEnd) where name follows a blank inside the tag
// and "=" or a space follows the name; npos when there is none.
std::size_t CHtmlScanner::FindAttributeName(std::size_t pos, std::size_t tagEnd,
                                            const std::string& name) const {
    auto search = std::find_if(m_nameSearches.begin(), m_nameSearches.end(),
                               [&](const NameSearch& s) { return s.name == name; });
    if (search == m_nameSearches.end()) {
        m_nameSearches.push_back(NameSearch{name, 0, npos, npos});
        search = m_nameSearches.end() - 1;
    }
    if (search->tagEnd == tagEnd && pos >= search->from &&
        (search->hit == npos || search->hit > pos))
        return search->hit;

    std::size_t hit = npos;
    // The name needs a blank before it and one more byte after it inside the tag.
    for (std::size_t i = pos + 1; i + name.size() < tagEnd; ++i) {
        if (!IsBlank(m_text[i - 1]))
            continue;
        std::size_t k = 0;
        while (k < name.size() && FoldAscii(m_text[i + k]) == name[k])
            ++k;
        char after = m_text[i + name.size()];
        if (k == name.size() && (after == '=' || after == ' ')) {
            hit = i;
            break;
        }
    }
    *search = NameSearch{name, pos, tagEnd, hit};
    return hit;
}

std::optional<std::string> CHtmlScanner::ValueAt(std::size_t start) const {
    if (start >= m_text.size())
        return std::nullopt;
    const Index& index = GetIndex();
    char first = m_text[start];
    if (first == '"' || first == '\'') {
        std::size_t close =
            NextAt(first == '"' ? index.doubleQuotes : index.singleQuotes, start + 1);
        if (close == npos)
            return std::nullopt;
        return Cut(std::string_view(m_text).substr(start + 1, close - start - 1), kMaxQuotedValue);
    }
    if (IsBlank(first))
        return std::nullopt;
    std::size_t end = NextAt(index.unquotedEnds, start);
    if (end == npos)
        return std::nullopt;
    return Cut(std::string_view(m_text).substr(start, end - start), kMaxValue);
}

std::optional<std::string> CHtmlScanner::InnerText(std::size_t pos) const {
    if (pos > m_text.size())
        return std::nullopt;
    std::size_t tagEnd = NextAt(GetIndex().tagEnds, pos);
    if (tagEnd == npos)
        return std::nullopt;
    if (tagEnd > pos && m_text[tagEnd - 1] == '/')
        return std::nullopt;
    const auto& closing = GetIndex().closingTags;
    auto sameName = closing.find(TagName(pos));
    if (sameName == closing.end())
        return std::nullopt;
    std::size_t close = NextAt(sameName->second, tagEnd + 1);
    if (close == npos)
        return std::nullopt;
    return Cut(std::string_view(m_text).substr(tagEnd + 1, close - tagEnd - 1), kMaxValue);
}

std::vector<std::string> CHtmlScanner::Options(std::size_t pos) const {
    std::vector<std::string> options;
    std::optional<std::string> inner = InnerText(pos);
    if (!inner)
        return options;
    CHtmlScanner list;
    list.SetText(std::move(*inner));
    for (std::size_t tag = list.First(); tag != npos; tag = list.Next()) {
        if (list.TagName(tag) != "option")
            continue;
        std::string choice = list.Attribute(tag, "value").value_or(std::string());
        if (choice.empty())
            choice = list.InnerText(tag).value_or(std::string());
        if (!choice.empty())
            options.push_back(std::move(choice));
    }
    return options;
}
