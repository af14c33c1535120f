// The project's own PostgreSQL cluster for tests: started on first use with scripts/pg.sh in a
// short folder of its own (or QM_TEST_PG_URI names a server), and a fresh schema per test.
#pragma once

#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <cstdlib>
#include <string>

#include <unistd.h>

namespace qm::host::testing {

// The cluster's folder: short, and one per build tree so that builds do not share a server.
inline std::string PgDir() {
    std::string dir = QM_TEST_PG_DIR;
    return dir;
}

inline std::string PgBaseUri() {
    if (const char* uri = std::getenv("QM_TEST_PG_URI"); uri && *uri) return uri;
    return "postgresql:///qm?host=" + PgDir();
}

inline bool PgReachable(const std::string& uri) {
    PGconn* c = PQconnectdb(uri.c_str());
    const bool ok = PQstatus(c) == CONNECTION_OK;
    PQfinish(c);
    return ok;
}

// Starts the cluster when it is not running. A failure fails the test: never a skip.
inline std::string PgServerUri() {
    static std::string uri = [] {
        std::string base = PgBaseUri();
        if (!PgReachable(base) && !std::getenv("QM_TEST_PG_URI")) {
            std::string cmd =
                "bash '" QM_TEST_SOURCE_DIR "/scripts/pg.sh' start '" + PgDir() + "' >/dev/null";
            if (std::system(cmd.c_str()) != 0) return std::string();
        }
        return PgReachable(base) ? base : std::string();
    }();
    return uri;
}

// Runs SQL on the server outside any store; empty on success, else the error.
inline std::string PgAdmin(const std::string& sql) {
    PGconn* c = PQconnectdb(PgServerUri().c_str());
    std::string err;
    PGresult* r = PQexec(c, sql.c_str());
    if (PQresultStatus(r) != PGRES_COMMAND_OK && PQresultStatus(r) != PGRES_TUPLES_OK)
        err = PQerrorMessage(c);
    PQclear(r);
    PQfinish(c);
    return err;
}

// A schema of its own for one test, dropped with it.
class PgSchema {
public:
    PgSchema() {
        static int counter = 0;
        Name = "t" + std::to_string(::getpid()) + "_" + std::to_string(counter++);
        Base = PgServerUri();
        if (Base.empty()) {
            ADD_FAILURE() << "the private PostgreSQL server could not be started in " << PgDir();
            return;
        }
        std::string err = PgAdmin("DROP SCHEMA IF EXISTS " + Name + " CASCADE; CREATE SCHEMA " + Name);
        EXPECT_EQ(err, "");
    }
    ~PgSchema() {
        if (!Base.empty()) PgAdmin("DROP SCHEMA IF EXISTS " + Name + " CASCADE");
    }
    // The connection string a store of this schema uses.
    std::string Uri() const {
        return Base + (Base.find('?') == std::string::npos ? "?" : "&") + "options=-c%20search_path%3D" +
               Name;
    }
    std::string Name;
    std::string Base;
};

} // namespace qm::host::testing
