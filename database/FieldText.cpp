#include "database/FieldText.h"

#include "platform/CodePage.h"

#include <QDateTime>
#include <QVariant>
#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>

std::optional<FieldKind> KindFromDeclaredType(const char* declared) {
    if (!declared || !*declared)
        return std::nullopt;
    const QByteArray type = QByteArray(declared).toUpper();
    const bool date = type.contains("DATE");
    const bool time = type.contains("TIME");
    if (type.contains("TIMESTAMP") || (date && time))
        return FieldKind::DateTime;
    if (date)
        return FieldKind::Date;
    if (time)
        return FieldKind::Time;
    // The column affinities of SQLite, in its own order of precedence.
    if (type.contains("INT"))
        return FieldKind::Number;
    if (type.contains("CHAR") || type.contains("CLOB") || type.contains("TEXT"))
        return FieldKind::Text;
    if (type.contains("BLOB"))
        return FieldKind::Binary;
    return FieldKind::Number;
}

FieldKind KindFromMetaType(QMetaType type) {
    switch (type.id()) {
    case QMetaType::QString:
        return FieldKind::Text;
    case QMetaType::QByteArray:
        return FieldKind::Binary;
    case QMetaType::QDateTime:
        return FieldKind::DateTime;
    case QMetaType::QDate:
        return FieldKind::Date;
    case QMetaType::QTime:
        return FieldKind::Time;
    default:
        return FieldKind::Number;
    }
}

void CValueText::Grow(size_t capacity) {
    m_capacity = std::max({capacity, 2 * m_capacity, size_t(64)});
    m_data = std::make_unique<char[]>(m_capacity);
}

void CFieldFormatter::WriteVariant(CValueText& text, const QVariant& value, FieldKind kind) {
    m_scratch.clear();
    AppendVariant(m_scratch, value, kind);
    text.Assign(m_scratch);
}

void CFieldFormatter::WriteStoredDate(CValueText& text, const QString& stored, FieldKind kind) {
    m_scratch.clear();
    AppendStoredDate(m_scratch, stored, kind);
    text.Assign(m_scratch);
}

void CFieldFormatter::WriteReal(CValueText& text, double value) {
    m_scratch.clear();
    AppendReal(m_scratch, value);
    text.Assign(m_scratch);
}

void CFieldFormatter::EnsureFormats() {
    if (!m_dateFormat.isEmpty())
        return;
    m_dateFormat = m_locale.dateFormat(QLocale::ShortFormat);
    // The short time format of most locales lacks the seconds, which a
    // task's times need: add them after the minutes.
    m_timeFormat = m_locale.timeFormat(QLocale::ShortFormat);
    if (!m_timeFormat.contains(u's')) {
        const qsizetype minutes = m_timeFormat.lastIndexOf(QLatin1StringView("mm"));
        if (minutes >= 0)
            m_timeFormat.insert(minutes + 2, QLatin1StringView(":ss"));
        else
            m_timeFormat = m_locale.timeFormat(QLocale::LongFormat);
    }
    m_date = CLocaleDateFormat(m_locale, m_dateFormat, CLocaleDateFormat::Kind::Date);
    m_time = CLocaleDateFormat(m_locale, m_timeFormat, CLocaleDateFormat::Kind::Time);
}

void CFieldFormatter::AppendDateTime(std::string& out, QDate day, QTime time) {
    EnsureFormats();
    m_date.Append(out, day);
    out += ' ';
    m_time.Append(out, time);
}

void CFieldFormatter::AppendDate(std::string& out, QDate day) {
    EnsureFormats();
    m_date.Append(out, day);
}

void CFieldFormatter::AppendTime(std::string& out, QTime time) {
    EnsureFormats();
    m_time.Append(out, time);
}

namespace {

// The digits at text[at, at + count) as a number; -1 when one is no digit.
int Digits(const QString& text, int at, int count) {
    int value = 0;
    for (int i = at; i < at + count; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

// "yyyy-MM-dd HH:mm:ss", the form the system stores its times in, read as a
// day and a time of day without a time zone. A QDateTime would convert to
// and from local time, which asks the C library for the zone on every
// value: for the 200 rows of a task page that cost ten times the read.
bool ParseStoredDateTime(const QString& text, QDate& day, QTime& time) {
    if (text.size() != 19 || text[4] != u'-' || text[7] != u'-' || text[10] != u' ' ||
        text[13] != u':' || text[16] != u':')
        return false;
    day = QDate(Digits(text, 0, 4), Digits(text, 5, 2), Digits(text, 8, 2));
    time = QTime(Digits(text, 11, 2), Digits(text, 14, 2), Digits(text, 17, 2));
    return day.isValid() && time.isValid();
}

} // namespace

void CFieldFormatter::AppendStoredDate(std::string& out, const QString& text, FieldKind kind) {
    QDate day;
    QTime time;
    if (kind != FieldKind::Time && ParseStoredDateTime(text, day, time))
        return kind == FieldKind::Date ? AppendDate(out, day) : AppendDateTime(out, day, time);
    if (kind == FieldKind::Time) {
        time = QTime::fromString(text, Qt::ISODate);
        if (time.isValid())
            return AppendTime(out, time);
    } else {
        QDateTime when = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        if (!when.isValid())
            when = QDateTime::fromString(text, Qt::ISODate);
        if (when.isValid())
            return kind == FieldKind::Date ? AppendDate(out, when.date())
                                           : AppendDateTime(out, when.date(), when.time());
        day = QDate::fromString(text, Qt::ISODate);
        if (day.isValid())
            return AppendDate(out, day);
    }
    AppendGbk(out, text);
}

void CFieldFormatter::AppendReal(std::string& out, double value) {
    AppendGbk(out, QString::number(value, 'f', QLocale::FloatingPointShortest));
}

void CFieldFormatter::AppendVariant(std::string& out, const QVariant& value, FieldKind kind) {
    switch (value.typeId()) {
    case QMetaType::QString:
        if (IsDateKind(kind))
            AppendStoredDate(out, value.toString(), kind);
        else
            AppendGbk(out, value.toString());
        break;
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::Long:
        out += std::to_string(value.toLongLong());
        break;
    case QMetaType::ULongLong:
    case QMetaType::UInt:
        out += std::to_string(value.toULongLong());
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        AppendReal(out, value.toDouble());
        break;
    case QMetaType::Bool:
        out += value.toBool() ? '1' : '0';
        break;
    case QMetaType::QDateTime: {
        const QDateTime when = value.toDateTime();
        AppendDateTime(out, when.date(), when.time());
        break;
    }
    case QMetaType::QDate:
        AppendDate(out, value.toDate());
        break;
    case QMetaType::QTime:
        AppendTime(out, value.toTime());
        break;
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        out.append(bytes.constData(), size_t(bytes.size()));
        break;
    }
    default:
        AppendGbk(out, value.toString());
    }
}

std::optional<long long> RealToInteger(double value) {
    // The doubles of [-2^63, 2^63): beyond them (and for NaN) the conversion
    // to an integer is undefined.
    constexpr double kLimit = 9223372036854775808.0;
    if (!(value >= -kLimit && value < kLimit))
        return std::nullopt;
    return static_cast<long long>(value);
}

std::optional<long long> TextToInteger(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        ++i;
    unsigned long long magnitude = 0;
    const auto result = std::from_chars(text.data() + i, text.data() + text.size(), magnitude);
    if (result.ec == std::errc::invalid_argument)
        return 0;
    constexpr unsigned long long kMax = LLONG_MAX;
    if (result.ec == std::errc::result_out_of_range || magnitude > kMax + (negative ? 1 : 0))
        return std::nullopt;
    if (negative)
        return magnitude == kMax + 1 ? LLONG_MIN : -static_cast<long long>(magnitude);
    return static_cast<long long>(magnitude);
}

std::optional<long long> VariantToInteger(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::QString:
        return TextToInteger(value.toString().toStdString());
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return TextToInteger(std::string_view(bytes.constData(), size_t(bytes.size())));
    }
    case QMetaType::Double:
    case QMetaType::Float:
        return RealToInteger(value.toDouble());
    case QMetaType::ULongLong:
        if (value.toULongLong() > static_cast<qulonglong>(LLONG_MAX))
            return std::nullopt;
        return static_cast<long long>(value.toULongLong());
    default:
        return value.toLongLong();
    }
}
