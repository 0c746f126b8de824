#pragma once
// The one place that knows about encodings: every text of the system is GBK
// (code page 936) in a std::string; Qt sees UTF-16 at the edges.
#include <string>
#include <string_view>

class QString;

QString FromGbk(std::string_view gbk);
std::string ToGbk(const QString& text);
void AppendGbk(std::string& out, const QString& text);
// The same as AppendGbk(out, QString::fromUtf8(utf8)), without the UTF-16 on the way.
void AppendGbkFromUtf8(std::string& out, std::string_view utf8);
// The same written to dest, which has room for utf8.size() bytes (no
// character is longer in GBK than in UTF-8); gives the end of the text.
char* WriteGbkFromUtf8(char* dest, std::string_view utf8);

// Characters of a GBK text: the length of its conversion to UTF-16.
int GbkCharCount(std::string_view gbk);
// False when a byte of the text starts no character of code page 936 (0xFF,
// a lead byte without its trail byte): FromGbk would give a replacement
// character there, and the text would not come back with its bytes.
bool IsGbkText(std::string_view gbk);

// Paths are not GBK texts: they hold the file system's own bytes (UTF-8 on
// Linux), so that a folder may be named with any character the file system
// allows. A path meets Qt only through FromPath and ToPath, never through the
// GBK conversions above.
QString FromPath(std::string_view path);
std::string ToPath(const QString& path);
// A GBK name below a folder ("data/company.ini", a form's picture) as path bytes.
std::string GbkToPath(std::string_view gbk);

// Case-insensitive comparison that folds ASCII letters only and keeps
// double-byte characters whole (a trail byte is never folded).
int GbkCompareNoCase(std::string_view a, std::string_view b);
bool GbkEqualNoCase(std::string_view a, std::string_view b);
