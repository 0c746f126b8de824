#include "database/FieldList.h"

#include "platform/CodePage.h"

void CFieldList::Clear() {
    m_names.clear();
    m_kinds.clear();
    m_found.clear();
    m_spelling.clear();
    m_last = -1;
}

void CFieldList::Add(std::string name, FieldKind kind) {
    m_names.push_back(std::move(name));
    m_kinds.push_back(kind);
    m_spelling.emplace_back();
}

int CFieldList::FindSpelling(std::string_view field) {
    if (field.empty())
        return -1;
    const int index = Lookup(field);
    if (index >= 0) {
        m_spelling[size_t(index)] = field;
        m_last = index;
    }
    return index;
}

int CFieldList::Lookup(std::string_view field) {
    std::string key(field);
    const auto found = m_found.find(key);
    if (found != m_found.end())
        return found->second;
    int index = -1;
    for (int i = 0; i < Count() && index < 0; ++i)
        if (GbkEqualNoCase(m_names[size_t(i)], field))
            index = i;
    m_found.emplace(std::move(key), index);
    return index;
}
