// A message-box library that says no to every question.
#include <cstdint>

extern "C" __attribute__((visibility("default"))) int QmMessageBox(std::uint32_t, const char*, const char*,
                                                                   int flags) {
    return flags == 4 ? 7 : 1;
}
