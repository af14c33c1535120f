// The records the host hands to a module and keeps alive while the module's forms live.
#pragma once

#include "plugin/records.h"

#include <string>

namespace qm::host {

// A login context whose strings the host allocated and frees.
class HostContextRecord {
public:
    HostContextRecord(const std::string& user, const std::string& group, const std::string& appPath);
    ~HostContextRecord();
    HostContextRecord(const HostContextRecord&) = delete;
    HostContextRecord& operator=(const HostContextRecord&) = delete;
    const THostContext* Get() const { return &FRecord; }

private:
    THostContext FRecord{};
};

// The host's colour scheme, in tune with the form's own design colours: a pale panel, the form's
// steel blue and its darker title blue.
THostColors DefaultHostColors();

} // namespace qm::host
