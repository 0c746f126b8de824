#pragma once
// Inside the database library only: where the rows of an open select come
// from. A recordset reads its current row through one of these and moves it
// forward; each source is one way of holding rows:
//   CSqliteRows  a statement of the SQLite library itself (the embedded database)
//   CQueryRows   a forward-only Qt query (the server)
//   CMemoryRows  rows taken into memory (the rest of a select whose connection
//                another statement needed)
// Column positions are checked by the recordset before they reach a source.
#include "database/FieldText.h"

#include <optional>
#include <string>

class QVariant;

class CRowSource {
public:
    virtual ~CRowSource() = default;

    // Moves to the next row: false at the end, and on an error with error set.
    virtual bool Next(std::string& error) = 0;

    // Writes the current row's value to text as GBK, in the form the kind of
    // its column asks for; false for NULL (text is then left as it was).
    virtual bool Text(int column, FieldKind kind, CValueText& text) = 0;
    // The value as an integer (NULL gives 0); none when it does not fit 64 bits.
    virtual std::optional<long long> Integer(int column) = 0;
    // The value as Qt holds it, invalid for NULL: rows kept in memory.
    virtual QVariant Value(int column) = 0;
};
