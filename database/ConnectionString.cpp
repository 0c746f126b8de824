#include "database/ConnectionString.h"

#include <algorithm>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string Trimmed(const std::string& text, size_t begin, size_t end) {
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
    return text;
}

// One item as written: where it lies in the text and what it says.
struct Item {
    size_t begin = 0, end = 0;           // the whole item, without its ";"
    size_t valueBegin = 0, valueEnd = 0; // the value as written, quotes included
    bool hasEquals = false;
    bool quoted = false; // the value is written in quotes
    std::string key;     // trimmed, as written
    std::string value;
    std::string error; // why the item is malformed; empty when it is not
};

// Reads the quoted value that starts at pos; item.valueEnd is left after the
// closing quote, or at the end of the text when there is none.
void ReadQuoted(const std::string& text, size_t pos, Item& item) {
    const char quote = text[pos++];
    while (pos < text.size()) {
        if (text[pos] == quote) {
            if (pos + 1 < text.size() && text[pos + 1] == quote) {
                item.value += quote;
                pos += 2;
                continue;
            }
            item.valueEnd = pos + 1;
            return;
        }
        item.value += text[pos++];
    }
    item.valueEnd = pos;
    item.error = "the value of \"" + item.key + "\" has no closing quote";
}

// The next item from pos on; pos moves past it and its ";".
Item ReadItem(const std::string& text, size_t& pos) {
    Item item;
    item.begin = pos;
    size_t end = std::min(text.find(';', pos), text.size());
    const size_t equals = text.find('=', pos);
    if (equals >= end) {
        item.end = end;
        pos = end + 1;
        return item;
    }
    item.hasEquals = true;
    item.key = Trimmed(text, pos, equals);
    size_t at = equals + 1;
    while (at < end && IsBlank(text[at]))
        ++at;
    item.valueBegin = at;
    if (at < text.size() && (text[at] == '"' || text[at] == '\'')) {
        item.quoted = true;
        ReadQuoted(text, at, item);
        end = std::min(text.find(';', item.valueEnd), text.size());
        if (item.error.empty() && !Trimmed(text, item.valueEnd, end).empty()) {
            item.error = "text follows the quoted value of \"" + item.key + "\"";
            item.valueEnd = end;
        }
    } else {
        item.value = Trimmed(text, at, end);
        item.valueEnd = at + item.value.size();
    }
    if (item.error.empty() && item.key.empty())
        item.error = "a value has no key";
    item.end = end;
    pos = end + 1;
    return item;
}

std::vector<Item> ReadItems(const std::string& text) {
    std::vector<Item> items;
    for (size_t pos = 0; pos < text.size();)
        items.push_back(ReadItem(text, pos));
    return items;
}

bool IsBlankItem(const std::string& text, const Item& item) {
    return Trimmed(text, item.begin, item.end).empty();
}

std::string CanonicalKey(const std::string& written) {
    static const std::pair<const char*, const char*> aliases[] = {{"server", "host"},
                                                                  {"initial catalog", "database"},
                                                                  {"uid", "user id"},
                                                                  {"user", "user id"},
                                                                  {"pwd", "password"}};
    const std::string key = Lower(written);
    for (const auto& [alias, canonical] : aliases)
        if (key == alias)
            return canonical;
    return key;
}

bool IsKnownKey(const std::string& key) {
    static const char* const known[] = {"provider", "data source", "host",    "port",
                                        "database", "user id",     "password"};
    return std::any_of(std::begin(known), std::end(known),
                       [&](const char* name) { return key == name; });
}

bool NamesPassword(const std::string& key) {
    const std::string lower = Lower(key);
    return lower.find("password") != std::string::npos || lower.find("pwd") != std::string::npos;
}

// A password holding an unquoted ";" goes on in the items after it: an item
// there that is no setting may be a piece of it.
bool MayBePasswordPiece(const Item& item, bool afterUnquotedPassword) {
    return afterUnquotedPassword && item.hasEquals && !IsKnownKey(CanonicalKey(item.key));
}

} // namespace

bool CConnectionString::Parse(const std::string& text, std::string& error) {
    m_items.clear();
    int number = 0;
    bool afterPassword = false; // an unquoted one
    for (const Item& item : ReadItems(text)) {
        if (IsBlankItem(text, item))
            continue;
        ++number;
        if (!item.hasEquals) {
            // The item itself is not quoted: it may be a piece of a password.
            error =
                "Malformed connection string: item " + std::to_string(number) + " has no \"=\".";
            return false;
        }
        if (!item.error.empty()) {
            error = "Malformed connection string: " + item.error + ".";
            return false;
        }
        const std::string key = CanonicalKey(item.key);
        if (MayBePasswordPiece(item, afterPassword)) {
            error = "Malformed connection string: item " + std::to_string(number) +
                    " follows the password and is no setting; a password holding \";\" must be "
                    "quoted.";
            return false;
        }
        if (!IsKnownKey(key)) {
            error = "Unknown key \"" + item.key + "\" in the connection string.";
            return false;
        }
        if (key == "password")
            afterPassword = !item.quoted;
        m_items.emplace_back(key, item.value);
    }
    return true;
}

std::string CConnectionString::Value(const std::string& key) const {
    for (auto item = m_items.rbegin(); item != m_items.rend(); ++item)
        if (item->first == key)
            return item->second;
    return {};
}

bool CConnectionString::Has(const std::string& key) const {
    return std::any_of(m_items.begin(), m_items.end(),
                       [&](const auto& item) { return item.first == key; });
}

std::string MaskConnectionPassword(const std::string& connectionString) {
    static const char kMask[] = "***";
    std::string masked;
    size_t copied = 0;
    bool afterPassword = false; // an unquoted one
    for (const Item& item : ReadItems(connectionString)) {
        if (IsBlankItem(connectionString, item))
            continue;
        size_t begin = item.valueBegin, end = item.valueEnd;
        if (!item.hasEquals || MayBePasswordPiece(item, afterPassword)) {
            begin = item.begin;
            end = item.end;
        } else if (NamesPassword(item.key)) {
            afterPassword = !item.quoted;
        } else {
            continue;
        }
        masked.append(connectionString, copied, begin - copied);
        masked += kMask;
        copied = end;
    }
    masked.append(connectionString, copied, std::string::npos);
    return masked;
}
