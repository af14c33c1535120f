// Script steps on the order and the filter of the module's grid, set as a header click and the
// filter box set them, through the properties its model offers to any item view.
#pragma once

#include <string>

class QAbstractItemView;

namespace qm::host {

struct ScriptStep;

bool IsViewStep(const std::string& verb);
// sort FIELD asc|desc|none, filter [TEXT], expect-order FIELD V1,V2,...
bool RunViewStep(QAbstractItemView& grid, const ScriptStep& step, std::string& why);

} // namespace qm::host
