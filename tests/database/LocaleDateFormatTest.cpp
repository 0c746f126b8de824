// Days and times written directly give what QLocale gives.
#include "database/LocaleDateFormat.h"

#include "platform/CodePage.h"

#include <gtest/gtest.h>

TEST(LocaleDateFormat, DirectFormatsWriteWhatQLocaleWrites) {
    const QDate days[] = {QDate(2024, 1, 5), QDate(1999, 12, 31), QDate(2005, 10, 1)};
    const QTime times[] = {QTime(0, 0, 7), QTime(9, 5, 0), QTime(12, 30, 59), QTime(23, 59, 1)};
    const char* locales[] = {"C", "en_US", "zh_CN", "de_DE", "ja_JP", "ar_EG"};
    for (const char* name : locales) {
        const QLocale locale{QString::fromLatin1(name)};
        for (QLocale::FormatType type : {QLocale::ShortFormat, QLocale::LongFormat}) {
            const CLocaleDateFormat date(locale, locale.dateFormat(type),
                                         CLocaleDateFormat::Kind::Date);
            const CLocaleDateFormat time(locale, locale.timeFormat(type),
                                         CLocaleDateFormat::Kind::Time);
            // The short formats, the ones the recordset uses, need no QLocale.
            if (type == QLocale::ShortFormat && locale.zeroDigit() == QLatin1String("0")) {
                EXPECT_TRUE(date.IsDirect() && time.IsDirect()) << name;
            }
            for (QDate day : days) {
                std::string out;
                date.Append(out, day);
                EXPECT_EQ(out, ToGbk(locale.toString(day, locale.dateFormat(type)))) << name;
            }
            for (QTime t : times) {
                std::string out;
                time.Append(out, t);
                EXPECT_EQ(out, ToGbk(locale.toString(t, locale.timeFormat(type)))) << name;
            }
        }
    }
    // Quoted text, time zones and a time field in a date pattern go to QLocale.
    for (const char* pattern : {"d 'de' M", "dd.MM.yyyy t", "yyyy-MM-dd HH"})
        EXPECT_FALSE(CLocaleDateFormat(QLocale::c(), QString::fromLatin1(pattern),
                                       CLocaleDateFormat::Kind::Date)
                         .IsDirect())
            << pattern;
}
