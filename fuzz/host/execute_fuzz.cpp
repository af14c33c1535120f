// The host's handling of save requests: any text, after a search, on a scratch SQLite file with a
// few rows. Afterwards the file must pass integrity_check, and a request that was not answered
// with code 0 must have left it byte for byte as it was.
#include "host/store/request_checks.h"
#include "host/store/store.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>

namespace {

using qm::host::Store;

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void Fail(const char* what) {
    std::fprintf(stderr, "execute_fuzz: %s\n", what);
    std::abort();
}

class Scratch {
public:
    Scratch()
        : FPath(std::filesystem::temp_directory_path() /
                ("qm-execute-fuzz-" + std::to_string(getpid()) + ".db")) {
        std::filesystem::remove(FPath);
        {
            Store seed(FPath.string());
            seed.FillDemo();
        }
        FBaseline = ReadBytes(FPath.string());
        Open();
    }
    ~Scratch() {
        FStore.reset();
        std::filesystem::remove(FPath);
        std::filesystem::remove(FPath.string() + "-wal");
        std::filesystem::remove(FPath.string() + "-shm");
    }

    // Back to the seeded rows after a request changed them, so that every input meets the same file.
    void Reset() {
        FStore.reset();
        std::ofstream(FPath, std::ios::binary | std::ios::trunc) << FBaseline;
        Open();
    }

    Store& Get() { return *FStore; }
    std::int32_t FuncId() const { return FFuncId; }
    // The file and its write-ahead log, where a save waits for a checkpoint.
    std::string Bytes() const { return ReadBytes(FPath.string()) + "|" + ReadBytes(FPath.string() + "-wal"); }

private:
    void Open() {
        FStore = std::make_unique<Store>(FPath.string());
        const std::string reg = FStore->Register("Tarn204", "MEM");
        // The id is the only integer item of the answer.
        const std::size_t at = reg.find("<rs");
        const std::size_t digits = reg.find('>', at) + 1;
        FFuncId = std::atoi(reg.c_str() + digits);
        // The search fills whatever the host remembers of the rows it answered.
        (void)FStore->Search("TB_MEMAC");
    }

    std::filesystem::path FPath;
    std::string FBaseline;
    std::unique_ptr<Store> FStore;
    std::int32_t FFuncId = 0;
};

bool Accepted(const std::string& answer) {
    return answer.find("<code>0</code>") != std::string::npos;
}

bool IntegrityOk(qm::host::Connection& db) {
    auto rows = db.Query("PRAGMA integrity_check", {});
    return rows->Next() && rows->Text(0) == "ok";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Scratch scratch;
    const std::string before = scratch.Bytes();
    const std::string answer =
        qm::host::ExecuteChecked(scratch.Get(), scratch.FuncId(), "singleRecordSet",
                                 std::string_view(reinterpret_cast<const char*>(data), size), 1 << 20);
    if (!IntegrityOk(scratch.Get().Db())) Fail("integrity_check failed");
    if (Accepted(answer))
        scratch.Reset();
    else if (scratch.Bytes() != before)
        Fail("a refused request changed the file");
    return 0;
}
