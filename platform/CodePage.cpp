#include "platform/CodePage.h"

#include <QFile>
#include <QString>
#include <array>
#include <cstdint>
#include <cstring>
#include <iconv.h>
#include <memory>

namespace {

constexpr unsigned kLeadFirst = 0x81, kLeadLast = 0xFE;
constexpr unsigned kTrailFirst = 0x40, kTrailLast = 0xFE;
constexpr unsigned kTrailCount = kTrailLast - kTrailFirst + 1;
constexpr char16_t kReplacement = 0xFFFD;
constexpr char16_t kEuro = 0x20AC; // the single byte 0x80 of code page 936

bool IsLead(unsigned char b) {
    return b >= kLeadFirst && b <= kLeadLast;
}
bool IsTrail(unsigned char b) {
    return b >= kTrailFirst && b <= kTrailLast && b != 0x7F;
}

// Both directions of the double-byte part, built once from the C library's
// converter. Lookups are then a single array access per character.
struct Tables {
    std::array<char16_t, (kLeadLast - kLeadFirst + 1) * kTrailCount> toUnicode{};
    std::array<std::uint16_t, 0x10000> fromUnicode{};

    Tables() {
        iconv_t cd = iconv_open("UTF-16LE", "GBK");
        if (cd == iconv_t(-1))
            return;
        for (unsigned lead = kLeadFirst; lead <= kLeadLast; ++lead) {
            for (unsigned trail = kTrailFirst; trail <= kTrailLast; ++trail) {
                if (trail == 0x7F)
                    continue;
                char in[2] = {char(lead), char(trail)};
                char out[4] = {};
                char* inPtr = in;
                char* outPtr = out;
                size_t inLeft = 2, outLeft = 4;
                iconv(cd, nullptr, nullptr, nullptr, nullptr);
                if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == size_t(-1) || outLeft != 2)
                    continue;
                char16_t unit = char16_t((unsigned char)out[0] | ((unsigned char)out[1] << 8));
                toUnicode[(lead - kLeadFirst) * kTrailCount + (trail - kTrailFirst)] = unit;
                if (fromUnicode[unit] == 0)
                    fromUnicode[unit] = std::uint16_t((lead << 8) | trail);
            }
        }
        iconv_close(cd);
        fromUnicode[kEuro] = 0x80;
        AddUserDefinedAreas();
    }

    void Add(unsigned lead, unsigned trail, char16_t unit) {
        toUnicode[(lead - kLeadFirst) * kTrailCount + (trail - kTrailFirst)] = unit;
        fromUnicode[unit] = std::uint16_t((lead << 8) | trail);
    }

    // Code page 936 gives every double-byte code that GBK leaves without a
    // character a private-use character, so that user-defined characters
    // (company logos, rare names) keep their bytes through UTF-16. The C
    // library's GBK knows none of them. In the code page's order: the three
    // user-defined areas, then the remaining codes of lead bytes A2 to FE.
    void AddUserDefinedAreas() {
        struct Block {
            unsigned leadFirst, leadLast, trailFirst, trailLast;
        };
        static constexpr Block kAreas[] = {
            {0xAA, 0xAF, 0xA1, 0xFE}, {0xF8, 0xFE, 0xA1, 0xFE}, {0xA1, 0xA7, 0x40, 0xA0}};
        static constexpr Block kOthers[] = {
            {0xA2, 0xA2, 0xAB, 0xB0}, {0xA2, 0xA2, 0xE3, 0xE4}, {0xA2, 0xA2, 0xEF, 0xF0},
            {0xA2, 0xA2, 0xFD, 0xFE}, {0xA4, 0xA4, 0xF4, 0xFE}, {0xA5, 0xA5, 0xF7, 0xFE},
            {0xA6, 0xA6, 0xB9, 0xC0}, {0xA6, 0xA6, 0xD9, 0xDF}, {0xA6, 0xA6, 0xEC, 0xED},
            {0xA6, 0xA6, 0xF3, 0xF3}, {0xA6, 0xA6, 0xF6, 0xFE}, {0xA7, 0xA7, 0xC2, 0xD0},
            {0xA7, 0xA7, 0xF2, 0xFE}, {0xA8, 0xA8, 0x96, 0xA0}, {0xA8, 0xA8, 0xBC, 0xBC},
            {0xA8, 0xA8, 0xBF, 0xBF}, {0xA8, 0xA8, 0xC1, 0xC4}, {0xA8, 0xA8, 0xEA, 0xFE},
            {0xA9, 0xA9, 0x58, 0x58}, {0xA9, 0xA9, 0x5B, 0x5B}, {0xA9, 0xA9, 0x5D, 0x5F},
            {0xA9, 0xA9, 0x89, 0x95}, {0xA9, 0xA9, 0x97, 0xA3}, {0xA9, 0xA9, 0xF0, 0xFE},
            {0xD7, 0xD7, 0xFA, 0xFE}, {0xFE, 0xFE, 0x50, 0xA0}};
        char16_t unit = 0xE000;
        auto addBlocks = [this, &unit](const auto& blocks) {
            for (const Block& b : blocks)
                for (unsigned lead = b.leadFirst; lead <= b.leadLast; ++lead)
                    for (unsigned trail = b.trailFirst; trail <= b.trailLast; ++trail)
                        if (IsTrail((unsigned char)trail))
                            Add(lead, trail, unit++);
        };
        addBlocks(kAreas);
        addBlocks(kOthers);
    }

    char16_t Decode(unsigned char lead, unsigned char trail) const {
        char16_t u = toUnicode[(lead - kLeadFirst) * kTrailCount + (trail - kTrailFirst)];
        return u ? u : kReplacement;
    }
};

// Built on first use, out of line: the conversions only check that it is there.
[[gnu::noinline, gnu::cold]] const Tables& BuildGbkTables() {
    static const Tables tables;
    return tables;
}

const Tables& GbkTables() {
    static const Tables& tables = BuildGbkTables();
    return tables;
}

bool IsAscii(std::string_view text) {
    for (unsigned char c : text)
        if (c >= 0x80)
            return false;
    return true;
}

// Walks a GBK text character by character: each call gives one UTF-16 unit.
template <typename Sink> void DecodeGbk(std::string_view text, Sink&& sink) {
    const Tables& tables = GbkTables();
    const size_t n = text.size();
    for (size_t i = 0; i < n;) {
        unsigned char b = (unsigned char)text[i];
        if (b < 0x80) {
            sink(char16_t(b));
            ++i;
        } else if (b == 0x80) {
            sink(kEuro);
            ++i;
        } else if (IsLead(b) && i + 1 < n && IsTrail((unsigned char)text[i + 1])) {
            sink(tables.Decode(b, (unsigned char)text[i + 1]));
            i += 2;
        } else {
            sink(kReplacement);
            ++i;
        }
    }
}

} // namespace

QString FromGbk(std::string_view gbk) {
    if (IsAscii(gbk))
        return QString::fromLatin1(gbk.data(), qsizetype(gbk.size()));
    QString result(qsizetype(gbk.size()), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(result.data());
    char16_t* const begin = out;
    DecodeGbk(gbk, [&out](char16_t u) { *out++ = u; });
    result.truncate(qsizetype(out - begin));
    return result;
}

void AppendGbk(std::string& out, const QString& text) {
    const char16_t* units = reinterpret_cast<const char16_t*>(text.utf16());
    const qsizetype n = text.size();
    const size_t start = out.size();
    out.resize(start + size_t(n) * 2);
    char* dest = out.data() + start;
    const Tables* tables = nullptr;
    for (qsizetype i = 0; i < n; ++i) {
        char16_t u = units[i];
        if (u < 0x80) {
            *dest++ = char(u);
            continue;
        }
        if (!tables)
            tables = &GbkTables();
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < n && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF)
            ++i; // a character outside the BMP has no GBK form
        std::uint16_t code = (u >= 0xD800 && u <= 0xDFFF) ? 0 : tables->fromUnicode[u];
        if (code == 0) {
            *dest++ = '?';
        } else if (code < 0x100) {
            *dest++ = char(code);
        } else {
            *dest++ = char(code >> 8);
            *dest++ = char(code & 0xFF);
        }
    }
    out.resize(size_t(dest - out.data()));
}

namespace {

bool IsContinuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

// The code point of the UTF-8 sequence at text[i] and its length, or a length
// of 0 for a sequence that is not well-formed.
char32_t DecodeUtf8(const unsigned char* text, size_t n, size_t i, size_t& length) {
    const unsigned char b = text[i];
    length = 0;
    // Three bytes first: the Chinese characters.
    if (b >= 0xE0 && b <= 0xEF && i + 2 < n && IsContinuation(text[i + 1]) &&
        IsContinuation(text[i + 2])) {
        const char32_t u =
            char32_t(b & 0x0F) << 12 | char32_t(text[i + 1] & 0x3F) << 6 | (text[i + 2] & 0x3F);
        if (u >= 0x800 && (u < 0xD800 || u > 0xDFFF))
            length = 3;
        return u;
    }
    if (b >= 0xC2 && b <= 0xDF && i + 1 < n && IsContinuation(text[i + 1])) {
        length = 2;
        return char32_t(b & 0x1F) << 6 | (text[i + 1] & 0x3F);
    }
    if (b >= 0xF0 && b <= 0xF4 && i + 3 < n && IsContinuation(text[i + 1]) &&
        IsContinuation(text[i + 2]) && IsContinuation(text[i + 3])) {
        const char32_t u = char32_t(b & 0x07) << 18 | char32_t(text[i + 1] & 0x3F) << 12 |
                           char32_t(text[i + 2] & 0x3F) << 6 | (text[i + 3] & 0x3F);
        if (u >= 0x10000 && u <= 0x10FFFF)
            length = 4;
        return u;
    }
    return 0;
}

template <typename Word> Word Load(const unsigned char* at) {
    Word word;
    std::memcpy(&word, at, sizeof word);
    return word;
}

constexpr std::uint64_t kHighBits = 0x8080808080808080u;

// A broken sequence or a leading byte order mark: Qt's decoder knows how many
// replacement characters a broken sequence gives, and drops the mark. Each
// replacement takes at least one byte and gives one "?", so the text still
// fits the room.
[[gnu::noinline]] char* WriteGbkThroughQt(char* begin, std::string_view utf8) {
    std::string gbk;
    AppendGbk(gbk, QString::fromUtf8(utf8.data(), qsizetype(utf8.size())));
    std::memcpy(begin, gbk.data(), gbk.size());
    return begin + gbk.size();
}

// The rest of a text from text[i] on, whose GBK form so far lies from begin
// to dest, one character at a time: every character the quick way of
// WriteGbkFromUtf8 leaves (those of two or four bytes, the euro, characters
// GBK lacks, broken sequences).
[[gnu::noinline]] char* WriteGbkRest(char* begin, char* dest, std::string_view utf8, size_t i) {
    const auto* text = reinterpret_cast<const unsigned char*>(utf8.data());
    const size_t n = utf8.size();
    const Tables& tables = GbkTables();
    while (i < n) {
        if (text[i] < 0x80) {
            *dest++ = char(text[i++]);
            continue;
        }
        size_t length;
        const char32_t u = DecodeUtf8(text, n, i, length);
        if (length == 0 || (u == 0xFEFF && i == 0))
            return WriteGbkThroughQt(begin, utf8);
        i += length;
        const std::uint16_t code = u < 0x10000 ? tables.fromUnicode[u] : 0;
        if (code > 0xFF) {
            *dest++ = char(code >> 8);
            *dest++ = char(code & 0xFF);
        } else {
            *dest++ = code ? char(code) : '?'; // the euro's single byte
        }
    }
    return dest;
}

} // namespace

// The quick way takes what nearly every text is made of: ASCII, a word at a
// time, and three-byte sequences (the Chinese characters) decoded in place.
// Writing a whole word where only its first bytes are ASCII stays inside
// dest: the output never runs ahead of the input.
char* WriteGbkFromUtf8(char* dest, std::string_view utf8) {
    const auto* text = reinterpret_cast<const unsigned char*>(utf8.data());
    const size_t n = utf8.size();
    const std::uint16_t* const fromUnicode = GbkTables().fromUnicode.data();
    char* const begin = dest;
    size_t i = 0;
    while (i < n) {
        const unsigned b = text[i];
        if (b < 0x80) {
            if (n - i >= 8) {
                const auto word = Load<std::uint64_t>(text + i);
                std::memcpy(dest, &word, sizeof word);
                const std::uint64_t high = word & kHighBits;
                const size_t ascii = high ? size_t(__builtin_ctzll(high)) / 8 : 8;
                i += ascii;
                dest += ascii;
            } else if (n >= 8 && !(Load<std::uint64_t>(text + n - 8) & kHighBits)) {
                // The last word is ASCII: its bytes before i went out one for
                // one just before dest.
                const auto word = Load<std::uint64_t>(text + n - 8);
                std::memcpy(dest - (i - (n - 8)), &word, sizeof word);
                return dest + (n - i);
            } else {
                *dest++ = char(b);
                ++i;
            }
            continue;
        }
        if ((b & 0xF0) != 0xE0 || n - i < 3)
            break;
        const unsigned c1 = text[i + 1], c2 = text[i + 2];
        if (((c1 ^ 0x80) | (c2 ^ 0x80)) >= 0x40)
            break;
        // The bits of the three bytes without their markers (E0 80 80).
        const unsigned u = (b << 12) + (c1 << 6) + c2 - 0xE2080;
        // Surrogates and the byte order mark have no GBK code: they stay
        // for WriteGbkRest with the overlong forms.
        const std::uint16_t code = fromUnicode[u];
        if (u < 0x800 || code <= 0xFF)
            break;
        dest[0] = char(code >> 8);
        dest[1] = char(code & 0xFF);
        dest += 2;
        i += 3;
    }
    return i < n ? WriteGbkRest(begin, dest, utf8, i) : dest;
}

void AppendGbkFromUtf8(std::string& out, std::string_view utf8) {
    const size_t start = out.size();
    out.resize(start + utf8.size());
    char* const end = WriteGbkFromUtf8(out.data() + start, utf8);
    out.resize(size_t(end - out.data()));
}

std::string ToGbk(const QString& text) {
    std::string out;
    AppendGbk(out, text);
    return out;
}

QString FromPath(std::string_view path) {
    return QFile::decodeName(QByteArray(path.data(), qsizetype(path.size())));
}

std::string ToPath(const QString& path) {
    const QByteArray bytes = QFile::encodeName(path);
    return std::string(bytes.constData(), size_t(bytes.size()));
}

std::string GbkToPath(std::string_view gbk) {
    return IsAscii(gbk) ? std::string(gbk) : ToPath(FromGbk(gbk));
}

int GbkCharCount(std::string_view gbk) {
    int count = 0;
    DecodeGbk(gbk, [&count](char16_t) { ++count; });
    return count;
}

bool IsGbkText(std::string_view gbk) {
    bool whole = true;
    DecodeGbk(gbk, [&whole](char16_t u) { whole = whole && u != kReplacement; });
    return whole;
}

namespace {
// One character of a GBK text as a comparable value: a double-byte character
// whole, a single byte with ASCII letters folded to lower case.
unsigned NextFoldedChar(std::string_view s, size_t& i) {
    unsigned char b = (unsigned char)s[i];
    if (IsLead(b) && i + 1 < s.size()) {
        unsigned value = 0x10000 | (unsigned(b) << 8) | (unsigned char)s[i + 1];
        i += 2;
        return value;
    }
    ++i;
    return (b >= 'A' && b <= 'Z') ? unsigned(b - 'A' + 'a') : b;
}
} // namespace

int GbkCompareNoCase(std::string_view a, std::string_view b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        unsigned ca = NextFoldedChar(a, i);
        unsigned cb = NextFoldedChar(b, j);
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (i < a.size())
        return 1;
    if (j < b.size())
        return -1;
    return 0;
}

bool GbkEqualNoCase(std::string_view a, std::string_view b) {
    return GbkCompareNoCase(a, b) == 0;
}
