// qmproto: what the module reads from a response, what a field-metadata import gives, and the
// request a JSON description turns into. For people who write hosts and forms.
#include <cstdio>
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

int Usage() {
    std::cerr << "usage: qmproto read [--exchange save|search|register|release] FILE\n"
                 "                             response document -> JSON, with the module's verdict\n"
                 "       qmproto fields FILE   field-metadata document -> JSON\n"
                 "       qmproto write FILE    JSON request description -> request document\n";
    return 2;
}

bool ReadFile(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
    return !in.bad();
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
    std::string text;
    if (!ReadFile(path, text)) {
        std::cerr << "qmproto: cannot read " << path << "\n";
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
