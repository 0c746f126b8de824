#include "database/FieldText.h"

#include "platform/CodePage.h"

#include <QDateTime>
#include <QVariant>
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
}

void CFieldFormatter::AppendDateTime(std::string& out, const QDateTime& when) {
    EnsureFormats();
    AppendGbk(out, m_locale.toString(when, m_dateFormat + u' ' + m_timeFormat));
}

void CFieldFormatter::AppendDate(std::string& out, QDate day) {
    EnsureFormats();
    AppendGbk(out, m_locale.toString(day, m_dateFormat));
}

void CFieldFormatter::AppendTime(std::string& out, QTime time) {
    EnsureFormats();
    AppendGbk(out, m_locale.toString(time, m_timeFormat));
}

void CFieldFormatter::AppendStoredDate(std::string& out, const QString& text, FieldKind kind) {
    if (kind == FieldKind::Time) {
        const QTime time = QTime::fromString(text, Qt::ISODate);
        if (time.isValid())
            return AppendTime(out, time);
    } else {
        QDateTime when = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        if (!when.isValid())
            when = QDateTime::fromString(text, Qt::ISODate);
        if (when.isValid())
            return kind == FieldKind::Date ? AppendDate(out, when.date())
                                           : AppendDateTime(out, when);
        const QDate day = QDate::fromString(text, Qt::ISODate);
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
        AppendInteger(out, value.toLongLong());
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
    case QMetaType::QDateTime:
        AppendDateTime(out, value.toDateTime());
        break;
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
