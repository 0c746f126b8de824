#pragma once
// Inside the database library only: where the statements of a command text
// begin and end, as the engine that runs it reads them.
//
// A command text must hold one statement. PostgreSQL's simple protocol runs
// every statement of a text, and SQLite runs the first and drops the rest,
// so a text that grew a second statement (a quote that was not doubled, a
// "; drop table ..." in a value) is refused before it reaches either engine.
// Blanks, comments and ";" around the one statement are fine.
//
// The scan follows the engine's own reading of the text, so that a ";" is
// seen where the engine sees one: 'strings' with '' inside, "names" with ""
// inside, -- line comments and /* block comments */, and per engine
//   PostgreSQL: E'strings' with backslash escapes, $tag$dollar quotes$tag$,
//               nested block comments, line comments ended by CR as by LF
//               (plain strings take a backslash as an ordinary character:
//               the connection sets standard_conforming_strings);
//   SQLite:     [names] and `names`, block comments that do not nest and may
//               run to the end of the text.
// The text is GBK: a double-byte character is stepped over whole, so a
// second byte that looks like a backslash escapes nothing. Like both
// engines, the scan ends at a NUL character.
#include "database/AdoConnection.h"

#include <cstddef>
#include <string_view>

struct StatementScan {
    enum class Count { None, One, Several };
    Count count = Count::None;
    // One: the length of the text up to and including the ";" that ends the
    // statement (the whole text when no ";" ends it). Several: where the
    // second statement begins.
    size_t position = 0;
};

StatementScan ScanStatements(std::string_view sql, DbEngine engine);
