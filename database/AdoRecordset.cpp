#include "database/AdoRecordset.h"

#include "database/AdoConnection.h"
#include "database/FieldList.h"
#include "database/MemoryRows.h"
#include "database/QueryRows.h"
#include "database/SqliteRows.h"

#include <climits>

namespace {

const char kNotOpen[] = "Connection Not open!\r\n";
const char kNoCurrentRecord[] = "No current record: the recordset is at its end or not open.";

} // namespace

// The facade over the pieces of a select being read: its fields (found by
// name), the source of its rows (see RowSource.h) and the text of the last
// value handed out.
struct CAdoRecordset::Impl final : CPendingRows {
    CAdoConnection* connection = nullptr;
    bool everOpened = false; // Close tells "never opened" apart
    bool onRow = false;      // a current record exists
    std::unique_ptr<CRowSource> rows;
    CFieldList fields;
    CValueText value;
    std::string lastError;

    ~Impl() {
        CloseSelect();
        if (connection)
            connection->Release();
    }

    // At the end of the rows, on an error and on close. The fields stay
    // until the next select.
    void ReleaseRows() {
        if (connection)
            connection->ForgetPendingReader(this);
        rows.reset();
        onRow = false;
    }

    void CloseSelect() {
        ReleaseRows();
        fields.Clear();
    }

    int Open(const std::string& sql) {
        CloseSelect();
        everOpened = true;
        if (!connection) {
            lastError = kNotOpen;
            return 0;
        }
        if (!connection->CheckStatementText(sql, nullptr, lastError))
            return 0;
        connection->BeforeStatement(this);
        if (!connection->EnsureOpen(lastError))
            return 0;
        if (sqlite3* handle = connection->SqliteHandle())
            rows = CSqliteRows::Open(handle, sql, fields, onRow, lastError);
        else
            rows = CQueryRows::Open(connection->Database(), sql, fields, onRow, lastError);
        if (!rows) {
            CloseSelect();
            return 0;
        }
        if (onRow)
            connection->SetPendingReader(this);
        else
            ReleaseRows();
        return 1;
    }

    // Another statement needs the connection: the rest of the rows go to memory.
    void FetchRemainingRows() override {
        if (onRow)
            rows = std::make_unique<CMemoryRows>(*rows, fields.Count(), lastError);
    }

    void MoveNext() {
        if (!rows->Next(lastError))
            ReleaseRows();
    }

    // The position of a field of the current record; -1 with the reason
    // when there is no current record or no field of that name.
    int FieldIndex(std::string_view field) {
        const int index = onRow ? fields.Find(field) : -1;
        if (index < 0)
            NoField(field);
        return index;
    }

    // Out of line: its text building would cost every hit in GetString.
    [[gnu::noinline]] void NoField(std::string_view field) {
        if (!onRow)
            lastError = kNoCurrentRecord;
        else
            lastError = "No field named \"" + std::string(field) + "\" in the recordset.";
    }

    bool CheckCurrent(int index) {
        if (onRow && index >= 0 && index < fields.Count())
            return true;
        NoColumn(index);
        return false;
    }

    [[gnu::noinline]] void NoColumn(int index) {
        if (!onRow)
            lastError = kNoCurrentRecord;
        else
            lastError = "No field " + std::to_string(index) + " in the recordset.";
    }

    // The current record's value of a column that exists as text.
    const char* Text(int index) {
        return rows->Text(index, fields.Kind(index), value) ? value.Data() : nullptr;
    }

    // The current record's value of a column that exists as an integer;
    // none, with the reason, when it does not fit the bits asked for.
    std::optional<long long> Integer(int index, int bits) {
        const std::optional<long long> number = rows->Integer(index);
        const long long limit = bits == 32 ? INT_MAX : LLONG_MAX;
        if (number && *number >= -limit - 1 && *number <= limit)
            return number;
        lastError = "The value of \"" + fields.Name(index) + "\" does not fit a " +
                    std::to_string(bits) + "-bit integer.";
        return std::nullopt;
    }
};

CAdoRecordset::CAdoRecordset() : m_impl(std::make_unique<Impl>()) {}

CAdoRecordset::~CAdoRecordset() = default;

void CAdoRecordset::SetConnection(CAdoConnection* connection) {
    Impl& d = *m_impl;
    if (connection == d.connection)
        return;
    d.CloseSelect();
    if (connection)
        connection->AddRef();
    if (d.connection)
        d.connection->Release();
    d.connection = connection;
}

int CAdoRecordset::Open(const std::string& sql) {
    return m_impl->Open(sql);
}

bool CAdoRecordset::IsEOF() const {
    return !m_impl->onRow;
}

void CAdoRecordset::MoveNext() {
    Impl& d = *m_impl;
    if (d.onRow)
        d.MoveNext();
    else if (d.everOpened)
        d.lastError = kNoCurrentRecord;
}

const char* CAdoRecordset::GetString(std::string_view field) {
    Impl& d = *m_impl;
    const int index = d.FieldIndex(field);
    return index < 0 ? nullptr : d.Text(index);
}

std::string CAdoRecordset::GetText(std::string_view field) {
    const char* text = GetString(field);
    return text ? std::string(text, m_impl->value.Size()) : std::string();
}

int CAdoRecordset::GetInt(std::string_view field) {
    const int index = m_impl->FieldIndex(field);
    return index < 0 ? 0 : int(m_impl->Integer(index, 32).value_or(0));
}

int CAdoRecordset::GetFieldCount() const {
    return m_impl->fields.Count();
}

const std::string& CAdoRecordset::GetFieldName(int index) const {
    static const std::string none;
    if (index < 0 || index >= m_impl->fields.Count())
        return none;
    return m_impl->fields.Name(index);
}

const char* CAdoRecordset::GetFieldValue(int index, size_t* length) {
    Impl& d = *m_impl;
    const char* text = d.CheckCurrent(index) ? d.Text(index) : nullptr;
    if (length)
        *length = text ? d.value.Size() : 0;
    return text;
}

bool CAdoRecordset::IsTextField(int index) const {
    if (index < 0 || index >= m_impl->fields.Count())
        return false;
    const FieldKind kind = m_impl->fields.Kind(index);
    return kind == FieldKind::Text || kind == FieldKind::Binary;
}

int CAdoRecordset::Close() {
    Impl& d = *m_impl;
    if (!d.everOpened)
        return 0;
    d.CloseSelect();
    return 1;
}

const std::string& CAdoRecordset::GetLastError() const {
    return m_impl->lastError;
}
