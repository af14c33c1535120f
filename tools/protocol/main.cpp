// qmproto: what the module reads from a response, what a field-metadata import gives, and the
// request a JSON description turns into. For people who write hosts and forms.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include <nlohmann/json.hpp>

#include "dataset/mem_table.h"
#include "json_fields.h"
#include "json_request.h"
#include "json_response.h"
#ifdef QMPROTO_HAVE_FORM
#include "metadata/qm_tb_field.h"
#include "modules/tarn204/dm/tarn204_dm.h"
#endif

namespace {

#ifndef QM_VERSION
#error "QM_VERSION is set by the build from the project's version"
#endif

const char kUsage[] = "usage: qmproto read [--exchange save|search|register|release] FILE\n"
                      "       qmproto fields FILE\n"
                      "       qmproto write FILE\n"
                      "       qmproto --help | --version\n";

const char kHelp[] =
    "\n"
    "Shows the documents a host and the income-level module exchange. FILE - reads standard input.\n"
    "\n"
    "  read FILE     a response document -> JSON: what the module reads from it and its verdict\n"
    "                (moduleReads); ok is false where the module stops reading, and readError\n"
    "                says where (line, column) and what was expected. Exits 0 for any document.\n"
    "  --exchange X  the exchange the answer belongs to, which decides the verdict: save\n"
    "                (default), search, register or release\n"
    "  fields FILE   a field-metadata document -> JSON, as a form imports it\n"
    "  write FILE    a JSON request description -> the request document the module sends\n"
    "  --help        prints this text\n"
    "  --version     prints the version\n"
    "\n"
    "The JSON carries \"format\": 1. Exit codes: 0 done, 1 the file cannot be read or holds\n"
    "wrong JSON or values, 2 a wrong command line.\n";

int Usage() {
    std::cerr << kUsage;
    return 2;
}

// The whole file, or standard input for "-"; false with the system's reason.
bool ReadFile(const std::string& path, std::string& text, std::string& why) {
    std::ostringstream buffer;
    if (path == "-") {
        buffer << std::cin.rdbuf();
        if (std::cin.bad()) {
            why = std::strerror(errno);
            return false;
        }
        text = buffer.str();
        return true;
    }
    // A folder opens as a stream and then reads as nothing.
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        why = std::strerror(EISDIR);
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        why = std::strerror(errno);
        return false;
    }
    buffer << in.rdbuf();
    if (in.bad()) {
        why = std::strerror(errno);
        return false;
    }
    text = buffer.str();
    return true;
}

// The income-level form's own table, which a search answer is loaded into.
qm::tool::TFormTableMaker FormTable() {
#ifdef QMPROTO_HAVE_FORM
    return [] {
        qm::TTarn204Dm dm;
        auto table = std::make_unique<qm::TMemTable>();
        const qm::TTbFields& fields = dm.tbfldMain->TbFields();
        for (int i = 0; i < fields.Count(); ++i)
            table->FieldDefs().Add(fields[i]->FieldName, fields[i]->DataType, fields[i]->FieldWidth, false);
        table->CreateDataSet();
        return table;
    };
#else
    return {};
#endif
}

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::cout << kUsage << kHelp;
            return 0;
        }
        if (a == "--version") {
            std::cout << "qmproto " << QM_VERSION << "\n";
            return 0;
        }
    }
    if (argc < 3) return Usage();
    const std::string command = argv[1];
    qm::tool::TExchange exchange = qm::tool::TExchange::exSave;
    int next = 2;
    if (command == "read" && std::string(argv[next]) == "--exchange") {
        if (argc < next + 2 || !qm::tool::ParseExchange(argv[next + 1], exchange)) return Usage();
        next += 2;
    }
    if (argc != next + 1) return Usage();
    const std::string path = argv[next];
    if (command != "read" && command != "fields" && command != "write") return Usage();
    std::string text, why;
    if (!ReadFile(path, text, why)) {
        std::cerr << "qmproto: cannot read " << path << ": " << why << "\n";
        return 1;
    }
    try {
        if (command == "read") {
            // A file that can be read gets a verdict and exits 0, however broken the answer is.
            std::cout << qm::tool::ResponseToJson(text, exchange, FormTable()).dump(2) << "\n";
        } else if (command == "fields") {
            std::cout << qm::tool::FieldsToJson(text).dump(2) << "\n";
        } else {
            nlohmann::json request;
            try {
                request = nlohmann::json::parse(text);
            } catch (const nlohmann::json::parse_error& e) {
                std::cerr << "qmproto: malformed JSON in " << path << ": " << e.what() << "\n";
                return 1;
            }
            std::cout << qm::tool::JsonToRequest(request) << "\n";
        }
    } catch (const nlohmann::json::exception& e) {
        std::cerr << "qmproto: " << path << ": wrong JSON shape: " << e.what() << "\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "qmproto: " << path << ": " << e.what() << "\n";
        return 1;
    }
    return 0;
}
