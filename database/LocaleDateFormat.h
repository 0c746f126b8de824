#pragma once
// Inside the database library only: a day or a time of day written in a
// QLocale format pattern exactly as QLocale::toString writes it, as GBK.
//
// A pattern made only of the fields d dd ddd dddd M MM MMM MMMM yy yyyy (a
// date) or h hh H HH m mm s ss AP A ap a (a time) and of literal characters
// other than ASCII letters and quotes, in a locale that writes ASCII digits,
// is written here directly: QLocale takes microseconds a value, which for
// the dates of a 200-row task page is several times the cost of reading the
// page. Any other pattern (time zones, milliseconds, quoted text) goes
// through QLocale.
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <string>
#include <vector>

class CLocaleDateFormat {
public:
    enum class Kind { Date, Time };

    CLocaleDateFormat() = default;
    // A date pattern holds day, month and year fields; a time pattern hours,
    // minutes, seconds and the am/pm marker.
    CLocaleDateFormat(const QLocale& locale, const QString& pattern, Kind kind);

    void Append(std::string& out, QDate day) const;
    void Append(std::string& out, QTime time) const;
    // False when values go through QLocale.
    bool IsDirect() const { return m_direct; }

private:
    struct Piece {
        char field = 0;      // 0: the literal text
        int width = 0;       // digits at least
        std::string literal; // the text; the morning's marker
        std::string pm;      // the afternoon's marker
    };
    bool Compile(Kind kind);
    void AddNames(bool months, QLocale::FormatType type);
    void AppendNumber(std::string& out, int value, int width) const;

    QLocale m_locale;
    QString m_pattern;
    std::vector<Piece> m_pieces;
    std::vector<std::string> m_names[2][2]; // [months][short], from index 1
    bool m_twelveHour = false;
    bool m_direct = false;
};
