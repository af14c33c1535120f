#include "host/store/layout.h"

#include "platform/platform.h"

namespace qm::host {

namespace {

bool Exists(const std::vector<std::string>& names, const std::string& table) {
    for (const std::string& n : names)
        if (SameText(n, table)) return true;
    return false;
}

// Earlier releases recorded nothing: their tables tell.
int InferredVersion(Connection& db) {
    const std::vector<std::string> names = db.TableNames();
    bool any = false;
    for (const TableDef& t : ServedTables()) {
        if (!Exists(names, t.Name)) continue;
        any = true;
        if (std::optional<TableInfo> info = db.ReadTable(t.Name); info && !info->Versioned) return 1;
    }
    return any ? 2 : 0;
}

void AddRowVersions(Connection& db) {
    for (const TableDef& t : ServedTables()) {
        std::optional<TableInfo> info = db.ReadTable(t.Name);
        if (!info || info->Versioned) continue;
        db.Run("ALTER TABLE " + db.QuoteIdent(info->Name) + " ADD COLUMN " + db.QuoteIdent(kVersionColumn) +
                   " " + db.Types().VersionType(),
               {});
    }
}

} // namespace

int LayoutVersion(Connection& db) {
    const int recorded = db.RecordedVersion();
    return recorded > 0 ? recorded : InferredVersion(db);
}

void PrepareLayout(Connection& db) {
    // Checked once outside the lock so that an up-to-date store never waits for a writer.
    if (db.RecordedVersion() >= kLayoutVersion) return;
    Transaction tx(db, Transaction::Layout);
    try {
        const int version = LayoutVersion(db);
        if (version >= kLayoutVersion) {
            tx.Commit();
            return;
        }
        if (version == 0) {
            for (const TableDef& t : ServedTables()) {
                db.Run(CreateTableSql(t, db), {});
                db.InstallRules(t);
            }
        } else {
            if (version < 2) {
                db.BeforeAlter();
                AddRowVersions(db);
            }
            if (version < 3)
                for (const TableDef& t : ServedTables())
                    db.InstallRules(t);
        }
        db.RecordVersion(kLayoutVersion);
        tx.Commit();
    } catch (const StoreError& e) {
        if (e.Kind == Failure::Lost || e.Kind == Failure::Busy || e.Kind == Failure::Malformed) throw;
        throw StoreError("无法把存储的表结构升级到本版本（" + std::string(e.what()) +
                             "）：请由有权修改表结构的用户（如表的所有者）先启动一次",
                         e.Kind);
    }
}

} // namespace qm::host
