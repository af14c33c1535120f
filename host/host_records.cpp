#include "host/host_records.h"

namespace qm::host {

HostContextRecord::HostContextRecord(const std::string& user, const std::string& group,
                                     const std::string& appPath) {
    FRecord.UserName = SysAllocStringUtf8(user);
    FRecord.UserGroup = SysAllocStringUtf8(group);
    FRecord.AppPath = SysAllocStringUtf8(appPath);
}

HostContextRecord::~HostContextRecord() {
    SysFreeString(FRecord.UserName);
    SysFreeString(FRecord.UserGroup);
    SysFreeString(FRecord.AppPath);
}

THostColors DefaultHostColors() {
    THostColors colors{};
    colors.ShowTitle = 1;
    colors.PanelColor = RGB(0xE4, 0xEC, 0xF4); // pale blue-grey, light enough behind the grid
    colors.FormColor = 0xC3B295;               // the form's own background
    colors.TitleColor = 0xA56E3A;              // the form's title blue
    return colors;
}

} // namespace qm::host
