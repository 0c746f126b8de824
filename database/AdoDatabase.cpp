#include "database/AdoDatabase.h"

#include "database/AdoConnection.h"

CAdoDatabase::CAdoDatabase() = default;

CAdoDatabase::~CAdoDatabase() {
    Close();
}

bool CAdoDatabase::Open(const std::string& connectionString) {
    Close();
    m_connectionString = connectionString;
    std::string error;
    m_connection = CAdoConnection::Open(connectionString, error);
    if (!m_connection) {
        m_lastError = error;
        return false;
    }
    m_provider = m_connection->ProviderName();
    return true;
}

void CAdoDatabase::Close() {
    if (m_connection) {
        m_connection->Release();
        m_connection = nullptr;
    }
    m_provider.clear();
}

int CAdoDatabase::Execute(const std::string& sql, long* recordsAffected, long /*options*/) {
    if (!m_connection) {
        m_lastError = "Connection Not open!\r\n";
        return 0;
    }
    return m_connection->Execute(sql, recordsAffected, m_lastError);
}
