#pragma once
// Inside the database library only: how a recordset turns a column value
// into GBK text. Numbers become plain decimal text, dates and times the
// user's locale format (short date, time with seconds).
#include "database/LocaleDateFormat.h"

#include <QLocale>
#include <QString>
#include <charconv>
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

// Takes the formats of the default locale, which the user's settings give,
// when it is made: one formatter serves one select.
class CFieldFormatter {
public:
    void AppendVariant(std::string& out, const QVariant& value, FieldKind kind);
    // A date kept as text (SQLite): in the locale's format when it reads as
    // one, else as it is.
    void AppendStoredDate(std::string& out, const QString& text, FieldKind kind);

    static void AppendInteger(std::string& out, long long value) {
        char buffer[24];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
        out.append(buffer, size_t(result.ptr - buffer));
    }
    static void AppendReal(std::string& out, double value);

private:
    void AppendDateTime(std::string& out, QDate day, QTime time);
    void AppendDate(std::string& out, QDate day);
    void AppendTime(std::string& out, QTime time);
    void EnsureFormats();

    QLocale m_locale;
    QString m_dateFormat;
    QString m_timeFormat;
    CLocaleDateFormat m_date; // the two formats above
    CLocaleDateFormat m_time;
};

// Values read as integers. A real is cut toward zero; a text is read as atoi
// reads it (blanks, a sign, digits; no digits give 0). A value that does not
// fit 64 bits (or a NaN) gives none instead of a number cut to some bits.
std::optional<long long> RealToInteger(double value);
std::optional<long long> TextToInteger(std::string_view text);
// Not for NULL (an invalid variant), which the callers take as 0.
std::optional<long long> VariantToInteger(const QVariant& value);
