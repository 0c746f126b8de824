#pragma once
// ADO-style connection strings, read in this one place by every program of
// the system (the host, the module's copy for the worker program, the worker):
//
//     Provider=PostgreSQL; Host=127.0.0.1; Port=5432; Database=nimbrel;
//     User ID=nimbrel; Password="a;b ""quoted"" secret"
//
// - Items are separated by ";"; blank items are skipped.
// - Keys are trimmed and compared without regard to case. The usual aliases
//   are taken: Server is Host, Initial Catalog is Database, Uid and User are
//   User ID, Pwd is Password. A key given twice keeps its last value.
// - A value is trimmed. A value that starts with a double or a single quote
//   runs to the matching quote, a doubled quote inside standing for one, so
//   it may hold ";", "=" and blanks at its ends; only blanks may follow it.
//
// Texts are GBK; the characters that structure the string are ASCII and never
// the second byte of a double-byte character, so the bytes are read as they are.
#include <string>
#include <utility>
#include <vector>

// The embedded SQLite database below the host folder, which the host opens
// when it is given no connection string and the worker falls back on.
constexpr const char kEmbeddedConnectionString[] = "Provider=SQLite;Data Source=data/nimbrel.db";

class CConnectionString {
public:
    // Reads text; false with the reason in error: an item without "=", a
    // value without a key, an unknown key, a quote that is not closed or
    // text after a quoted value. The error quotes keys, never values, and no
    // key after an unquoted password: it may be a piece of it.
    bool Parse(const std::string& text, std::string& error);

    // The value of a key by its lower-case name ("provider", "data source",
    // "host", "port", "database", "user id", "password"); empty when missing.
    std::string Value(const std::string& key) const;
    bool Has(const std::string& key) const;

private:
    std::vector<std::pair<std::string, std::string>> m_items; // lower-case key, value
};

// The connection string as it may be shown on screen or written to a log:
// the value of every password item (Password, Pwd or any key naming a
// password or pwd), quoted or not, empty or not, becomes "***", and so does
// every item without "=" and, after an unquoted password, every item whose
// key is no setting (a password holding an unquoted ";" falls apart into
// such items). Everything else stays as written. A string that does not
// parse is masked as far as it can be read: a quoted value that is never
// closed is masked to the end.
std::string MaskConnectionPassword(const std::string& connectionString);
