// Status codes of the host's answers. Registration and release fail below 0; execute and search
// fail on anything but 0.
#pragma once

namespace qm::host::status {

constexpr int Ok = 0;
constexpr int BadRequest = 1;      // the request document is not what a request must be
constexpr int UnknownName = 2;     // table, field, operation code or action the store does not have
constexpr int NotFound = 3;        // an update or delete whose key matches no row
constexpr int Violation = 4;       // the data breaks a rule of the table (repeated code, missing value)
constexpr int UnknownFunction = 5; // a function id the host did not hand out
constexpr int Conflict = 6;        // the row changed or went since the form was answered with it
constexpr int ReadOnly = 7;        // the store refuses writes (a damaged file)
constexpr int Busy = 8;            // another writer held the store longer than the wait allows
constexpr int DatabaseError = 9;   // the database itself failed
constexpr int ReleaseFailed = -1;  // release of an id that is not (or no longer) handed out

} // namespace qm::host::status
