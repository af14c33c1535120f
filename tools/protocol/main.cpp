// qmproto: what the module reads from a response, what a field-metadata import gives, and the
// request a JSON description turns into. For people who write hosts and forms.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include <nlohmann/json.hpp>

#include "json_fields.h"
#include "json_request.h"
#include "json_response.h"

namespace {

int Usage() {
    std::cerr << "usage: qmproto read FILE     response document -> JSON\n"
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

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return Usage();
    const std::string command = argv[1];
    const std::string path = argv[2];
    if (command != "read" && command != "fields" && command != "write") return Usage();
    std::string text;
    if (!ReadFile(path, text)) {
        std::cerr << "qmproto: cannot read " << path << "\n";
        return 1;
    }
    try {
        if (command == "read") {
            std::cout << qm::tool::ResponseToJson(text).dump(2) << "\n";
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
