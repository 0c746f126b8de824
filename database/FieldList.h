#pragma once
// Inside the database library only: the columns of one select (the names the
// database reports and what each holds) and the finding of a column by the
// name a reader writes. Names are compared without regard to case; each
// spelling is looked up once per select, and a reader that takes the fields
// in select order finds the next one without a lookup at all.
#include "database/FieldText.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class CFieldList {
public:
    void Clear();
    void Add(std::string name, FieldKind kind);

    int Count() const { return int(m_names.size()); }
    // Positions are checked by the callers.
    const std::string& Name(int index) const { return m_names[size_t(index)]; }
    FieldKind Kind(int index) const { return m_kinds[size_t(index)]; }

    // The position of the field, or -1 when the select has none of that name.
    // Inline: a reader asks once per value.
    int Find(std::string_view field) {
        const int next = m_last + 1 < Count() ? m_last + 1 : 0;
        if (next < Count() && !field.empty() && SameBytes(m_spelling[size_t(next)], field))
            return m_last = next;
        return FindSpelling(field);
    }

private:
    // Names are short: compared as two overlapping words, without a call.
    static bool SameBytes(std::string_view a, std::string_view b) {
        const size_t n = a.size();
        if (n != b.size())
            return false;
        if (n >= 8 && n <= 16)
            return SameWord<std::uint64_t>(a, b, 0) && SameWord<std::uint64_t>(a, b, n - 8);
        if (n >= 4 && n < 8)
            return SameWord<std::uint32_t>(a, b, 0) && SameWord<std::uint32_t>(a, b, n - 4);
        return a == b;
    }
    template <typename Word>
    static bool SameWord(std::string_view a, std::string_view b, size_t at) {
        Word x, y;
        std::memcpy(&x, a.data() + at, sizeof x);
        std::memcpy(&y, b.data() + at, sizeof y);
        return x == y;
    }
    int FindSpelling(std::string_view field);
    int Lookup(std::string_view field);

    std::vector<std::string> m_names;
    std::vector<FieldKind> m_kinds;
    std::unordered_map<std::string, int> m_found;
    std::vector<std::string> m_spelling; // per position: the last spelling that found it
    int m_last = -1;                     // the position found last
};
