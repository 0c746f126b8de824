#pragma once
// Inside the database library only: how a recordset turns a column value
// into GBK text. Numbers become plain decimal text, dates and times the
// user's locale format (short date, time with seconds).
#include "database/LocaleDateFormat.h"

#include <QLocale>
#include <QString>
#include <charconv>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

class QVariant;

// What a column holds, as far as the conversion to text cares.
enum class FieldKind { Text, Binary, Number, DateTime, Date, Time };

inline bool IsDateKind(FieldKind kind) {
    return kind == FieldKind::DateTime || kind == FieldKind::Date || kind == FieldKind::Time;
}

// SQLite: the kind that a declared column type gives, none for an
// expression without a declared type.
std::optional<FieldKind> KindFromDeclaredType(const char* declared);
// The server: the kind of the type that Qt reports for a column.
FieldKind KindFromMetaType(QMetaType type);

// The text of the value a recordset handed out last, NUL-terminated. A row
// source writes it in place, into storage that keeps the size of the longest
// value of the select: reading rows allocates nothing once it has grown.
class CValueText {
public:
    const char* Data() const { return m_data.get(); }
    size_t Size() const { return m_size; }

    // Room for a text of up to size bytes and its NUL; the text before is dropped.
    char* Room(size_t size) {
        if (size >= m_capacity)
            Grow(size + 1);
        return m_data.get();
    }
    // Ends the text written into the room at end.
    void End(char* end) {
        *end = '\0';
        m_size = size_t(end - m_data.get());
    }
    void Assign(std::string_view text) {
        char* const at = Room(text.size());
        if (!text.empty())
            std::memcpy(at, text.data(), text.size());
        End(at + text.size());
    }

private:
    void Grow(size_t capacity);

    std::unique_ptr<char[]> m_data;
    size_t m_capacity = 0;
    size_t m_size = 0;
};

// Takes the formats of the default locale, which the user's settings give,
// when it is made: one formatter serves one select.
class CFieldFormatter {
public:
    void WriteVariant(CValueText& text, const QVariant& value, FieldKind kind);
    // A date kept as text (SQLite): in the locale's format when it reads as
    // one, else as it is.
    void WriteStoredDate(CValueText& text, const QString& stored, FieldKind kind);
    void WriteReal(CValueText& text, double value);

    static void WriteInteger(CValueText& text, long long value) {
        constexpr size_t kLongest = 20; // -9223372036854775808
        char* const at = text.Room(kLongest);
        text.End(std::to_chars(at, at + kLongest, value).ptr);
    }

private:
    void AppendVariant(std::string& out, const QVariant& value, FieldKind kind);
    void AppendStoredDate(std::string& out, const QString& text, FieldKind kind);
    static void AppendReal(std::string& out, double value);
    void AppendDateTime(std::string& out, QDate day, QTime time);
    void AppendDate(std::string& out, QDate day);
    void AppendTime(std::string& out, QTime time);
    void EnsureFormats();

    QLocale m_locale;
    QString m_dateFormat;
    QString m_timeFormat;
    CLocaleDateFormat m_date; // the two formats above
    CLocaleDateFormat m_time;
    std::string m_scratch; // the text on its way through Qt
};

// Values read as integers. A real is cut toward zero; a text is read as atoi
// reads it (blanks, a sign, digits; no digits give 0). A value that does not
// fit 64 bits (or a NaN) gives none instead of a number cut to some bits.
std::optional<long long> RealToInteger(double value);
std::optional<long long> TextToInteger(std::string_view text);
// Not for NULL (an invalid variant), which the callers take as 0.
std::optional<long long> VariantToInteger(const QVariant& value);
