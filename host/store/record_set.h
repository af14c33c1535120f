// The save/delete action: applies a request's rows to the store in one transaction.
#pragma once

#include "host/store/connection.h"
#include "host/store/row_versions.h"

#include <string>
#include <string_view>

namespace qm::host {

// Answers a response document. Any refusal rolls the whole request back. An update or delete of
// a row whose version is not the remembered one is refused; accepted saves update `versions`.
// Failures of the database itself escape as StoreError.
std::string ApplySingleRecordSet(Connection& db, RowVersions& versions, std::string_view requestXml);

// The refusal texts the clerk sees when another clerk came first, or nobody knows.
extern const char* const kChangedByOthers;
extern const char* const kOutcomeUnknown;

} // namespace qm::host
