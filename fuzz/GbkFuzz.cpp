// The code page: GBK -> UTF-16 -> GBK gives back every character, and every
// double-byte code is one (those GBK leaves without a character go through
// the private use area); UTF-16 -> GBK -> UTF-16 gives back every character
// that has a GBK form.
//
// The input is read both ways: as GBK bytes, and as UTF-16 units (pairs of
// bytes, low byte first).
#include "fuzz/FuzzSupport.h"
#include "platform/CodePage.h"

#include <QString>

namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool IsLead(unsigned char b) {
    return b >= 0x81 && b <= 0xFE;
}
bool IsTrail(unsigned char b) {
    return b >= 0x40 && b <= 0xFE && b != 0x7F;
}

// One character of a GBK text read from i: ASCII, the single byte 0x80, a lead
// byte with its trail byte, or a byte that is none of them (one character,
// the replacement, as the converter reads it).
std::string_view NextCharacter(std::string_view text, std::size_t i) {
    const auto b = (unsigned char)text[i];
    const bool pair = IsLead(b) && i + 1 < text.size() && IsTrail((unsigned char)text[i + 1]);
    return text.substr(i, pair ? 2 : 1);
}

// GBK -> UTF-16 -> GBK: each character that decodes to one other than the
// replacement comes back as the same bytes, as every double-byte code does;
// each byte that is no character becomes "?".
void CheckGbkRoundTrip(std::string_view gbk) {
    const QString unicode = FromGbk(gbk);
    FUZZ_CHECK(GbkCharCount(gbk) == unicode.size());
    std::string expected;
    std::size_t characters = 0;
    for (std::size_t i = 0; i < gbk.size(); ++characters) {
        const std::string_view character = NextCharacter(gbk, i);
        const QString decoded = FromGbk(character);
        FUZZ_CHECK(decoded.size() == 1 && decoded[0] == unicode[qsizetype(characters)]);
        const bool known = decoded[0] != QChar(kReplacement);
        FUZZ_CHECK(known || character.size() == 1);
        expected += known ? std::string(character) : std::string("?");
        i += character.size();
    }
    FUZZ_CHECK(characters == std::size_t(unicode.size()));
    FUZZ_CHECK(ToGbk(unicode) == expected);
}

// UTF-16 -> GBK -> UTF-16: a unit with a GBK form comes back; one without it
// (a surrogate, or a character GBK lacks) becomes "?".
void CheckUnicodeRoundTrip(std::string_view bytes) {
    QString unicode;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        unicode += QChar(char16_t((unsigned char)bytes[i] | ((unsigned char)bytes[i + 1] << 8)));
    const std::string gbk = ToGbk(unicode);
    for (QChar unit : unicode) {
        const std::string one = ToGbk(QString(unit));
        FUZZ_CHECK(one.size() == 1 || one.size() == 2);
        FUZZ_CHECK(one == "?" || FromGbk(one) == QString(unit));
        FUZZ_CHECK(!unit.isSurrogate() || one == "?");
    }
    FUZZ_CHECK(ToGbk(FromGbk(gbk)) == gbk);
}

// Comparing without regard to case is an order: a text equals itself, and
// swapping the two sides swaps the answer.
void CheckCompareNoCase(std::string_view bytes) {
    const std::string_view a = bytes.substr(0, bytes.size() / 2);
    const std::string_view b = bytes.substr(bytes.size() / 2);
    FUZZ_CHECK(GbkEqualNoCase(a, a) && GbkEqualNoCase(b, b));
    FUZZ_CHECK(GbkCompareNoCase(a, b) == -GbkCompareNoCase(b, a));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = FuzzBytes(data, size);
    CheckGbkRoundTrip(bytes);
    CheckUnicodeRoundTrip(bytes);
    CheckCompareNoCase(bytes);
    return 0;
}
