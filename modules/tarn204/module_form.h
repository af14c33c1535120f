// Which form ShowChildForm creates. The form class offers Handle(), SetParentWindow(),
// SetCaption(), SetWindowState() with wsMaximized, SetFormId(), AnnounceCommands() and
// AnnounceBaseCommands(), and is a QWidget.
#pragma once

#ifdef QM_TARN204_FORM
#include "modules/tarn204/tarn204_form.h"

namespace qm {

using TModuleForm = TfrmTarn204;

inline TModuleForm* CreateModuleForm() { return TfrmChildBase::Create<TfrmTarn204>(nullptr); }

}  // namespace qm
#else
#include "modules/tarn204/placeholder_form.h"

namespace qm {

using TModuleForm = TfrmPlaceholder;

inline TModuleForm* CreateModuleForm() { return new TfrmPlaceholder(nullptr); }

}  // namespace qm
#endif
