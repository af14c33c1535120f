// The save/delete action: applies a request's rows to the store in one transaction.
#pragma once

#include "host/store/connection.h"
#include "host/store/row_versions.h"

#include <string>
#include <string_view>

namespace qm::host {

// Who saves: the audit stamps name them where the database does not know the clerk itself.
struct Clerk {
    std::string User;
    std::string Group;
};

// Answers a response document. Any refusal rolls the whole request back. An update or delete of
// a row whose version is not the remembered one is refused; accepted saves update `versions`.
// Failures of the database itself escape as StoreError.
// The audit stamps of a served table are the store's: a request's values for them are ignored.
std::string ApplySingleRecordSet(Connection& db, RowVersions& versions, std::string_view requestXml,
                                 const Clerk& clerk);

// The refusal texts the clerk sees when another clerk came first, or nobody knows.
extern const char* const kChangedByOthers;
extern const char* const kOutcomeUnknown;

} // namespace qm::host
