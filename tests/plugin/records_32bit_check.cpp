// Compiled with -m32 only: every slot of the shared records at its wire offset.
#include <cstddef>

#include "plugin/records.h"

using qm::THostColors;
using qm::THostContext;
using qm::TShareVar;

static_assert(sizeof(void*) == 4, "compile this check with -m32");
static_assert(sizeof(TShareVar) == 120);
static_assert(offsetof(TShareVar, Header) == 0);
static_assert(offsetof(TShareVar, FuncId) == 4);
static_assert(offsetof(TShareVar, RequestXml) == 8);
static_assert(offsetof(TShareVar, RegisterAnswer) == 12);
static_assert(offsetof(TShareVar, ReleaseAnswer) == 16);
static_assert(offsetof(TShareVar, ExecuteAnswer) == 20);
static_assert(offsetof(TShareVar, ModuleKey) == 24);
static_assert(offsetof(TShareVar, ActionName) == 28);
static_assert(offsetof(TShareVar, SearchAnswer) == 32);
static_assert(offsetof(TShareVar, Unused36) == 36);
static_assert(offsetof(TShareVar, Unused36) + sizeof(TShareVar::Unused36) == 68);
static_assert(offsetof(TShareVar, SystemCode) == 68);
static_assert(offsetof(TShareVar, Unused72) == 72);
static_assert(offsetof(TShareVar, ContextTail) == 76);
static_assert(offsetof(TShareVar, Unused80) == 80);
static_assert(offsetof(TShareVar, Unused88) == 88);
static_assert(offsetof(TShareVar, Unused92) == 92);
static_assert(offsetof(TShareVar, Stream) == 100);
static_assert(offsetof(TShareVar, Unused104) == 104);
static_assert(offsetof(TShareVar, Unused108) == 108);
static_assert(offsetof(TShareVar, Unused112) == 112);
static_assert(offsetof(TShareVar, Unused116) == 116);
static_assert(sizeof(TShareVar::FuncId) == 4);

static_assert(offsetof(THostContext, UserName) == 12);
static_assert(offsetof(THostContext, UserGroup) == 24);
static_assert(offsetof(THostContext, AppPath) == 44);

static_assert(offsetof(THostColors, ShowTitle) == 4);
static_assert(sizeof(THostColors::ShowTitle) == 1);
static_assert(offsetof(THostColors, PanelColor) == 8);
static_assert(offsetof(THostColors, FormColor) == 24);
static_assert(offsetof(THostColors, TitleColor) == 36);
static_assert(sizeof(THostColors::TitleColor) == 4);

int main() {
    return 0;
}
