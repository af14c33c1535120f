// The save/delete action: applies a request's rows to the database in one transaction.
#pragma once

#include <sqlite3.h>

#include <string>
#include <string_view>

namespace qm::host {

// Answers a response document. Any refusal rolls the whole request back.
std::string ApplySingleRecordSet(sqlite3* db, std::string_view requestXml);

}  // namespace qm::host
