#include "host/store/request_checks.h"

#include "host/store/response.h"
#include "host/store/status_codes.h"
#include "host/store/store.h"
#include "platform/platform.h"

namespace qm::host {

namespace {

constexpr char32_t kBad = 0xFFFFFFFF;

// Strict decoding: no overlong forms, no surrogates, nothing above U+10FFFF. Advances i; kBad
// for a malformed sequence.
char32_t Decode(std::string_view s, std::size_t& i) {
    const auto b0 = static_cast<unsigned char>(s[i++]);
    if (b0 < 0x80) return b0;
    int extra = 0;
    char32_t cp = 0, min = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF)
        extra = 1, cp = b0 & 0x1F, min = 0x80;
    else if (b0 >= 0xE0 && b0 <= 0xEF)
        extra = 2, cp = b0 & 0x0F, min = 0x800;
    else if (b0 >= 0xF0 && b0 <= 0xF4)
        extra = 3, cp = b0 & 0x07, min = 0x10000;
    else
        return kBad;
    for (int k = 0; k < extra; ++k) {
        if (i >= s.size()) return kBad;
        const auto b = static_cast<unsigned char>(s[i]);
        if ((b & 0xC0) != 0x80) return kBad;
        cp = (cp << 6) | (b & 0x3F);
        ++i;
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return kBad;
    return cp;
}

} // namespace

std::string CheckRequestText(std::string_view xml, std::size_t maxBytes) {
    if (xml.size() > maxBytes)
        return "请求过大（" + std::to_string(xml.size()) + " 字节，上限 " + std::to_string(maxBytes) +
               " 字节），未做任何修改；请分批保存";
    // Plain ASCII runs are the bulk of a request: skip them a byte at a time without decoding.
    for (std::size_t i = 0; i < xml.size();) {
        if (static_cast<unsigned char>(xml[i]) < 0x80) {
            ++i;
            continue;
        }
        const std::size_t at = i;
        if (Decode(xml, i) == kBad)
            return "请求含有无效的 UTF-8 字节（位置 " + std::to_string(at) + "），未做任何修改";
    }
    return {};
}

std::string CheckRequestValue(std::string_view subject, std::string_view value) {
    for (std::size_t i = 0; i < value.size();) {
        const char32_t cp = Decode(value, i);
        if (cp == kBad) return std::string(subject) + " 的值含有无效的 UTF-8 字节，未做任何修改";
        if (IsControlChar(cp))
            return std::string(subject) + " 的值含有控制字符（" + CodePointName(cp) +
                   "），只允许制表符和换行，未做任何修改";
    }
    return {};
}

bool HasEdgeBlanks(std::string_view value) {
    static constexpr std::string_view kIdeographicSpace = "\xE3\x80\x80";
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    return !value.empty() && (blank(value.front()) || blank(value.back()) ||
                              value.starts_with(kIdeographicSpace) || value.ends_with(kIdeographicSpace));
}

std::string EdgeBlanksRefusal(std::string_view subject) {
    return "代码首尾不得有空格（" + std::string(subject) + "），未做任何修改";
}

std::string ExecuteChecked(Store& store, std::int32_t funcId, std::string_view action,
                           std::string_view requestXml, std::size_t maxBytes) {
    if (std::string why = CheckRequestText(requestXml, maxBytes); !why.empty())
        return StatusResponse(status::BadRequest, why);
    return store.Execute(funcId, action, requestXml);
}

} // namespace qm::host
