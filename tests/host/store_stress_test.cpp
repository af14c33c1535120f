// The store under load and faults: concurrent clerks with retries, kills in the middle of a large
// save, a server that goes away and comes back. Bounded in size; its own ctest label.
#include "host/store/record_set.h"
#include "host/store/status_codes.h"
#include "store_fixture.h"

#include <atomic>
#include <csignal>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <thread>

#include <sys/wait.h>

namespace qm::host::testing {
namespace {

constexpr int kClients = 8;
constexpr int kRequestsEach = 500;
constexpr int kSharedRows = 12;

struct Client {
    explicit Client(const std::string& address) : S(address) {
        Id = ReadAnswer(S.Register("Tarn204", "MEM"))->Doc.child("quelmar").child("rs").text().as_int();
    }
    std::unique_ptr<Answer> Save(const std::string& rows) {
        return ReadAnswer(S.Execute(Id, "singleRecordSet", Request(rows)));
    }
    // Code -> (key, MEMAC003) of the rows answered.
    std::map<std::string, std::pair<int, long long>> Search() {
        std::map<std::string, std::pair<int, long long>> rows;
        auto a = ReadAnswer(S.Search("TB_MEMAC"));
        for (pugi::xml_node r : a->Doc.child("quelmar").child("rs").children())
            rows[r.attribute("MEMAC001").value()] = {r.attribute("MEMAC_ID").as_int(),
                                                     r.attribute("MEMAC003").as_llong()};
        return rows;
    }
    Store S;
    int Id = 0;
};

// S00 is the amount every client raises; the others are updated at random.
std::string SharedCode(int i) {
    char code[8];
    std::snprintf(code, sizeof code, "S%02d", i);
    return code;
}

std::string Update(int id, const std::string& code, const std::string& name, long long amount) {
    return "<TB_MEMAC op=\"3\" pk=\"MEMAC_ID\" fk=\"\" MEMAC_ID=\"" + std::to_string(id) + "\" MEMAC001=\"" +
           code + "\" MEMAC002=\"" + name + "\" MEMAC003=\"" + std::to_string(amount) + "\" MODIFIER=\"s\"/>";
}

// What every client was told, to be held against the store afterwards.
struct Ledger {
    std::mutex Lock;
    std::map<int, int> AckedUpdates;            // key -> acknowledged updates
    std::map<int, std::set<std::string>> Names; // key -> names of acknowledged updates
    std::set<std::string> RefusedNames;
    std::set<std::string> Inserted, Deleted, RefusedInserts;
    long long Increments = 0;
};

void RunClient(const std::string& address, int n, Ledger& ledger, std::atomic<int>& failures) {
    try {
        Client c(address);
        std::mt19937 random(static_cast<unsigned>(n * 7919 + 1));
        std::vector<std::string> mine; // own inserted, not yet deleted codes
        auto rows = c.Search();
        int seq = 0;
        for (int r = 0; r < kRequestsEach; ++r) {
            const int pick = static_cast<int>(random() % 100);
            if (pick < 25) {
                rows = c.Search();
            } else if (pick < 45) {
                // The shared amount, raised by one under retry.
                for (int attempt = 0;; ++attempt) {
                    const auto& [id, amount] = rows["S00"];
                    auto a = c.Save(Update(id, "S00", "inc", amount + 1));
                    if (a->Code == 0) {
                        rows["S00"].second = amount + 1;
                        std::lock_guard<std::mutex> g(ledger.Lock);
                        ++ledger.Increments;
                        ++ledger.AckedUpdates[id];
                        break;
                    }
                    rows = c.Search();
                    if (attempt > 400) throw std::runtime_error("increment starved: " + a->Info);
                }
                ++r; // the retries count as one request
            } else if (pick < 70) {
                const std::string code = SharedCode(1 + static_cast<int>(random() % (kSharedRows - 1)));
                const std::string name = "c" + std::to_string(n) + "r" + std::to_string(r);
                auto it = rows.find(code);
                if (it == rows.end()) continue;
                auto a = c.Save(Update(it->second.first, code, name, it->second.second));
                std::lock_guard<std::mutex> g(ledger.Lock);
                if (a->Code == 0) {
                    ++ledger.AckedUpdates[it->second.first];
                    ledger.Names[it->second.first].insert(name);
                } else {
                    ledger.RefusedNames.insert(name);
                    if (a->Code != status::Conflict && a->Code != status::DatabaseError)
                        throw std::runtime_error("update: " + a->Info);
                }
            } else if (pick < 88 || mine.empty()) {
                const std::string code = std::string(1, static_cast<char>('a' + n)) + std::to_string(seq++);
                auto a = c.Save(InsertRow(1, code));
                std::lock_guard<std::mutex> g(ledger.Lock);
                if (a->Code == 0) {
                    ledger.Inserted.insert(code);
                    mine.push_back(code);
                } else {
                    ledger.RefusedInserts.insert(code);
                }
            } else {
                const std::string code = mine.back();
                rows = c.Search();
                auto a = c.Save(DeleteRow(rows[code].first, code));
                std::lock_guard<std::mutex> g(ledger.Lock);
                if (a->Code == 0) {
                    ledger.Deleted.insert(code);
                    mine.pop_back();
                } else if (a->Code != status::Conflict && a->Code != status::DatabaseError) {
                    throw std::runtime_error("delete: " + a->Info);
                }
            }
        }
    } catch (const std::exception& e) {
        ADD_FAILURE() << "client " << n << ": " << e.what();
        ++failures;
    }
}

TEST_P(BothEngines, ConcurrentClerksLoseNothingAndStoreNothingRefused) {
    std::string seed;
    for (int i = 0; i < kSharedRows; ++i) {
        const std::string code = SharedCode(i);
        seed += "<TB_MEMAC op=\"1\" pk=\"MEMAC_ID\" fk=\"\" rn=\"" + std::to_string(i + 1) +
                "\" MEMAC001=\"" + code +
                "\" MEMAC002=\"seed\" MEMAC003=\"0\" CREATE_USER=\"s\" USER_GROUP=\"g\" "
                "CREATE_DATE=\"2008-06-02\" FLAG=\"0\"/>";
    }
    ASSERT_EQ(ReadAnswer(Save(Request(seed)))->Code, 0);

    Ledger ledger;
    std::atomic<int> failures{0};
    std::vector<std::thread> clients;
    for (int n = 0; n < kClients; ++n)
        clients.emplace_back(RunClient, StoreAddress(), n, std::ref(ledger), std::ref(failures));
    for (std::thread& t : clients)
        t.join();
    ASSERT_EQ(failures.load(), 0);

    EXPECT_EQ(Scalar("SELECT MEMAC003 FROM TB_MEMAC WHERE MEMAC001='S00'"),
              std::to_string(ledger.Increments));
    EXPECT_EQ(Scalar("SELECT COUNT(*) - COUNT(DISTINCT MEMAC001) FROM TB_MEMAC"), "0");
    auto rows =
        S->Db().Query(QuoteNames("SELECT MEMAC_ID, MEMAC001, MEMAC002, ROW_VERSION FROM TB_MEMAC"), {});
    std::set<std::string> stored;
    while (rows->Next()) {
        const int id = std::stoi(std::string(rows->Text(0)));
        const std::string code(rows->Text(1)), name(rows->Text(2));
        stored.insert(code);
        if (code[0] != 'S') continue;
        SCOPED_TRACE(code);
        EXPECT_EQ(std::stoi(std::string(rows->Text(3))), 1 + ledger.AckedUpdates[id]);
        if (code != "S00" && name != "seed") {
            EXPECT_TRUE(ledger.Names[id].count(name)) << name;
            EXPECT_FALSE(ledger.RefusedNames.count(name)) << name;
        }
    }
    for (const std::string& code : ledger.Inserted)
        EXPECT_EQ(stored.count(code), ledger.Deleted.count(code) ? 0u : 1u) << code;
    for (const std::string& code : ledger.RefusedInserts)
        EXPECT_EQ(stored.count(code), 0u) << code;
    EXPECT_GT(ledger.Increments, 0);
}

// A host killed at any moment of a 10,000-row save leaves the store as it was or with every row.
TEST_P(BothEngines, AKilledSaveLeavesTheStoreWhollyBeforeOrAfter) {
    std::string rows;
    static const char digits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    for (int i = 0; i < 10000; ++i)
        rows += InsertRow(i + 1, {'K', digits[i / 1296 % 36], digits[i / 36 % 36], digits[i % 36]});
    const std::string request = Request(rows);
    auto saveInChild = [&] {
        const pid_t pid = fork();
        if (pid == 0) {
            int code = 1;
            try {
                Store s(StoreAddress());
                const int id = 1;
                s.Register("Tarn204", "MEM");
                code = s.Execute(id, "singleRecordSet", request).find("<code>0</code>") == std::string::npos;
            } catch (...) {
            }
            _exit(code);
        }
        return pid;
    };
    // How long a whole save takes here, so that the kills spread over it.
    const auto start = std::chrono::steady_clock::now();
    int status = 0;
    waitpid(saveInChild(), &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const auto whole = std::chrono::steady_clock::now() - start;
    Sql("DELETE FROM TB_MEMAC");

    std::set<std::string> outcomes;
    for (int k = 0; k < 20; ++k) {
        SCOPED_TRACE(k);
        const pid_t pid = saveInChild();
        std::this_thread::sleep_for(whole * (k + 1) / 20);
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        const std::string count = Scalar("SELECT COUNT(*) FROM TB_MEMAC");
        EXPECT_TRUE(count == "0" || count == "10000") << count;
        outcomes.insert(count);
        if (count != "0") Sql("DELETE FROM TB_MEMAC");
        if (Kind == Engine::Sqlite) {
            EXPECT_EQ(Scalar("PRAGMA integrity_check"), "ok");
        }
    }
    EXPECT_TRUE(outcomes.count("0")) << "no kill landed before the commit";
}

QM_BOTH_ENGINES(BothEngines);

// The server stopped under a running host: a refusal, and the first request after it is back works.
TEST(PgServerRestart, TheStoreRecoversWhenTheServerComesBack) {
    const std::string dir = PgDir() + "r";
    const std::string script = "bash '" QM_TEST_SOURCE_DIR "/scripts/pg.sh' ";
    ASSERT_EQ(std::system((script + "start " + dir + " >/dev/null").c_str()), 0);
    Store s("postgresql:///qm?host=" + dir);
    const int id = ReadAnswer(s.Register("Tarn204", "MEM"))->Doc.child("quelmar").child("rs").text().as_int();
    s.Db().Run("DELETE FROM \"TB_MEMAC\"", {}); // the folder outlives a run
    ASSERT_EQ(ReadAnswer(s.Execute(id, "singleRecordSet", Request(InsertRow(1, "01"))))->Code, 0);
    ASSERT_EQ(std::system((script + "stop " + dir).c_str()), 0);
    auto down = ReadAnswer(s.Execute(id, "singleRecordSet", Request(InsertRow(1, "02"))));
    EXPECT_EQ(down->Code, status::DatabaseError);
    EXPECT_NE(down->Info.find("连接"), std::string::npos) << down->Info;
    EXPECT_EQ(ReadAnswer(s.Search("TB_MEMAC"))->Code, status::DatabaseError);
    ASSERT_EQ(std::system((script + "start " + dir + " >/dev/null").c_str()), 0);
    EXPECT_EQ(ReadAnswer(s.Execute(id, "singleRecordSet", Request(InsertRow(1, "03"))))->Code, 0);
    auto rows = ReadAnswer(s.Search("TB_MEMAC"));
    std::string codes;
    for (pugi::xml_node r : rows->Doc.child("quelmar").child("rs").children())
        codes += r.attribute("MEMAC001").value();
    EXPECT_EQ(codes, "0103");
    (void)!std::system((script + "stop " + dir).c_str()); // a server already down is fine
}

} // namespace
} // namespace qm::host::testing
