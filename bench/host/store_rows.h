// A store file of many income levels in the temporary folder, removed again at the end.
#pragma once

#include <sqlite3.h>

#include <filesystem>
#include <memory>
#include <string>

#include <unistd.h>

#include "host/store/sqlite_store.h"
#include "host/store/store.h"

namespace qm::bench {

struct StoreWithRows {
    std::filesystem::path Path;
    std::unique_ptr<qm::host::Store> S;
    sqlite3* Raw = nullptr; // a connection of its own to the same file, for filling and baselines

    explicit StoreWithRows(int rows, const std::string& tag = "rows") {
        Path = std::filesystem::temp_directory_path() /
               ("qmhost-bench-" + tag + "-" + std::to_string(::getpid()) + ".db");
        std::filesystem::remove(Path);
        S = std::make_unique<qm::host::Store>(Path.string());
        sqlite3_open(Path.c_str(), &Raw);
        sqlite3* db = Raw;
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db,
                           "INSERT INTO TB_MEMAC (MEMAC001,MEMAC002,MEMAC003,MEMAC004,CREATE_USER,USER_GROUP,"
                           "CREATE_DATE,MODIFIER,MODI_DATE,FLAG) VALUES (?,?,?,?,'u001','g01',"
                           "'2008-06-02 00:00:00','u002','2008-06-18 00:00:00',0)",
                           -1, &st, nullptr);
        for (int i = 0; i < rows; ++i) {
            // Four base-36 digits: unique codes within the field's width.
            static const char digits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
            const char code[5] = {digits[i / 46656 % 36], digits[i / 1296 % 36], digits[i / 36 % 36],
                                  digits[i % 36], 0};
            std::string name = "收入等级" + std::to_string(i);
            sqlite3_bind_text(st, 1, code, -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 2, name.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int(st, 3, i * 10);
            sqlite3_bind_int(st, 4, i * 10 + 9);
            sqlite3_step(st);
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    ~StoreWithRows() {
        sqlite3_close(Raw);
        S.reset();
        std::filesystem::remove(Path);
        std::filesystem::remove(Path.string() + "-wal");
        std::filesystem::remove(Path.string() + "-shm");
    }
    qm::host::Store& Get() { return *S; }
};

} // namespace qm::bench
