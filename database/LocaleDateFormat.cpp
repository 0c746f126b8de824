#include "database/LocaleDateFormat.h"

#include "platform/CodePage.h"

CLocaleDateFormat::CLocaleDateFormat(const QLocale& locale, const QString& pattern, Kind kind)
    : m_locale(locale), m_pattern(pattern) {
    m_direct = m_locale.zeroDigit() == QLatin1String("0") && Compile(kind);
    if (!m_direct)
        m_pieces.clear();
}

// Splits the pattern into fields (runs of one letter) and literal text;
// false for anything only QLocale writes.
bool CLocaleDateFormat::Compile(Kind kind) {
    const bool date = kind == Kind::Date;
    for (qsizetype i = 0; i < m_pattern.size();) {
        const QChar c = m_pattern[i];
        qsizetype run = 1;
        while (i + run < m_pattern.size() && m_pattern[i + run] == c)
            ++run;
        const char16_t u = c.unicode();
        const bool letter = (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z');
        if (u == u'\'')
            return false;
        if (!letter) {
            if (m_pieces.empty() || m_pieces.back().field != 0)
                m_pieces.emplace_back();
            AppendGbk(m_pieces.back().literal, m_pattern.mid(i, run));
            i += run;
            continue;
        }
        if (!date && (u == u'a' || u == u'A')) { // "AP", "A", "ap", "a"
            const bool upper = u == u'A';
            const bool withP = i + 1 < m_pattern.size() && m_pattern[i + 1].toLower() == u'p';
            m_pieces.push_back(
                {'a', 0, ToGbk(upper ? m_locale.amText().toUpper() : m_locale.amText().toLower()),
                 ToGbk(upper ? m_locale.pmText().toUpper() : m_locale.pmText().toLower())});
            m_twelveHour = true;
            i += withP ? 2 : 1;
            continue;
        }
        const QLatin1StringView fields =
            date ? QLatin1StringView("dMy") : QLatin1StringView("hHms");
        const bool name = (u == u'd' || u == u'M') && (run == 3 || run == 4);
        if (!fields.contains(c) || run > 4 || (u == u'y' ? run != 2 && run != 4 : run > 2 && !name))
            return false;
        if (name)
            AddNames(u == u'M', run == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
        m_pieces.push_back({char(u), int(run), {}, {}});
        i += run;
    }
    return true;
}

// The names of the months (1 to 12) or of the days of the week (Monday 1 to
// Sunday 7) that a field of width 3 or 4 writes.
void CLocaleDateFormat::AddNames(bool months, QLocale::FormatType type) {
    std::vector<std::string>& names = m_names[months][type == QLocale::ShortFormat];
    names.assign(1, std::string());
    for (int i = 1; i <= (months ? 12 : 7); ++i)
        names.push_back(ToGbk(months ? m_locale.monthName(i, type) : m_locale.dayName(i, type)));
}

void CLocaleDateFormat::AppendNumber(std::string& out, int value, int width) const {
    const std::string digits = std::to_string(value);
    if (int(digits.size()) < width)
        out.append(size_t(width) - digits.size(), '0');
    out += digits;
}

void CLocaleDateFormat::Append(std::string& out, QDate day) const {
    if (!m_direct)
        return AppendGbk(out, m_locale.toString(day, m_pattern));
    for (const Piece& piece : m_pieces) {
        switch (piece.field) {
        case 'd':
            if (piece.width <= 2)
                AppendNumber(out, day.day(), piece.width);
            else
                out += m_names[0][piece.width == 3][size_t(day.dayOfWeek())];
            break;
        case 'M':
            if (piece.width <= 2)
                AppendNumber(out, day.month(), piece.width);
            else
                out += m_names[1][piece.width == 3][size_t(day.month())];
            break;
        case 'y':
            AppendNumber(out, piece.width == 2 ? day.year() % 100 : day.year(), piece.width);
            break;
        default:
            out += piece.literal;
            break;
        }
    }
}

void CLocaleDateFormat::Append(std::string& out, QTime time) const {
    if (!m_direct)
        return AppendGbk(out, m_locale.toString(time, m_pattern));
    const int hour12 = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    for (const Piece& piece : m_pieces) {
        switch (piece.field) {
        case 'h':
            AppendNumber(out, m_twelveHour ? hour12 : time.hour(), piece.width);
            break;
        case 'H':
            AppendNumber(out, time.hour(), piece.width);
            break;
        case 'm':
            AppendNumber(out, time.minute(), piece.width);
            break;
        case 's':
            AppendNumber(out, time.second(), piece.width);
            break;
        case 'a':
            out += time.hour() < 12 ? piece.literal : piece.pm;
            break;
        default:
            out += piece.literal;
            break;
        }
    }
}
