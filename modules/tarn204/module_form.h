// The form ShowChildForm creates.
#pragma once

#include "modules/tarn204/tarn204_form.h"

namespace qm {

using TModuleForm = TfrmTarn204;

inline TModuleForm* CreateModuleForm() {
    return TfrmChildBase::Create<TfrmTarn204>(nullptr);
}

} // namespace qm
