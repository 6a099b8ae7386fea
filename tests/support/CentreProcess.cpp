#include "support/CentreProcess.h"

#include <sqlite3.h>

CentreProcess::CentreProcess(const std::vector<std::string>& extraArguments)
    : m_process(HALVREN_CENTRE_STANDIN, (m_dir.Path() / "centre.log").string(),
                CentreArguments((m_dir.Path() / "data").string(), extraArguments)) {}

std::vector<std::vector<std::string>> CentreProcess::Query(const std::string& sql) const {
    std::vector<std::vector<std::string>> rows;
    sqlite3* db = nullptr;
    const std::string path = (m_dir.Path() / "data" / "centre.db").string();
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK) {
            while (sqlite3_step(statement) == SQLITE_ROW) {
                std::vector<std::string> row;
                for (int c = 0; c < sqlite3_column_count(statement); ++c) {
                    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, c));
                    row.emplace_back(bytes ? bytes : "", static_cast<size_t>(sqlite3_column_bytes(statement, c)));
                }
                rows.push_back(std::move(row));
            }
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return rows;
}
