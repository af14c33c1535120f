#include "host/ui/exchange_summary.h"

#include "platform/platform.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace qm::host {

namespace {

std::size_t Count(std::string_view text, std::string_view what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string_view::npos;
         at = text.find(what, at + what.size()))
        ++n;
    return n;
}

// The status info of an answer, its markup undone.
std::string AnswerInfo(std::string_view answer) {
    const std::size_t open = answer.find("<info>");
    const std::size_t close = answer.find("</info>");
    if (open == std::string_view::npos || close == std::string_view::npos || close < open) return {};
    std::string out;
    const std::string_view text = answer.substr(open + 6, close - open - 6);
    for (std::size_t i = 0; i < text.size(); ++i) {
        static const std::pair<std::string_view, char> entities[] = {
            {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}, {"&amp;", '&'}};
        bool replaced = false;
        for (const auto& [entity, c] : entities)
            if (text.substr(i, entity.size()) == entity) {
                out += c;
                i += entity.size() - 1;
                replaced = true;
                break;
            }
        if (!replaced) out += text[i];
    }
    return out;
}

} // namespace

std::optional<int> AnswerCode(std::string_view answer) {
    const std::size_t open = answer.find("<code>");
    if (open == std::string_view::npos) return std::nullopt;
    std::string_view rest = answer.substr(open + 6);
    while (!rest.empty() && rest.front() == ' ')
        rest.remove_prefix(1);
    int code = 0;
    const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), code);
    if (ec != std::errc() || end == rest.data()) return std::nullopt;
    return code;
}

namespace {

// The summary of a search whose status part is head and whose recordset holds rows.
std::optional<std::string> Summary(std::string_view head, std::size_t rows) {
    if (AnswerCode(head) != 0) return std::nullopt;
    std::string summary = "已查询 " + std::to_string(rows) + " 条";
    // What the store left out of the answer (rows the form could not hold) stays in sight.
    if (const std::string note = AnswerInfo(head); !note.empty()) summary += "；" + note;
    return summary;
}

// Every element inside the recordset is one row: a '<' inside a value is always escaped.
std::size_t RowCount(std::u16string_view answer) {
    const std::size_t rs = answer.find(u"<rs typ=\"recordset\"");
    if (rs == answer.npos) return 0;
    const std::size_t body = answer.find(u'>', rs);
    if (body == answer.npos) return 0;
    // A million rows are half a gigabyte of text, read once: memchr finds the byte of each '<'
    // far faster than a loop over units, and the unit it lies in is checked. The window keeps its
    // turns between pieces.
    constexpr std::size_t kPieceBytes = std::size_t(2) << 20;
    const std::u16string_view close = u"</rs>";
    const auto* bytes = reinterpret_cast<const unsigned char*>(answer.data());
    const std::size_t size = answer.size() * sizeof(char16_t);
    std::size_t rows = 0;
    std::size_t at = (body + 1) * sizeof(char16_t);
    for (std::size_t due = at + kPieceBytes; at < size;) {
        const void* hit = std::memchr(bytes + at, '<', std::min(size, due) - at);
        if (!hit) {
            at = std::min(size, due);
            due += kPieceBytes;
            ProcessMessagesIfDue();
            continue;
        }
        const std::size_t byte = static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - bytes);
        at = byte + 1;
        const std::size_t unit = byte / sizeof(char16_t);
        if (answer[unit] != u'<') continue;
        if (answer.substr(unit, close.size()) == close) return rows;
        ++rows;
        at = (unit + 1) * sizeof(char16_t);
    }
    return 0;
}

} // namespace

std::optional<std::string> SearchSummary(std::u16string_view answer) {
    // Only the status is read as UTF-8; the rows are counted where they stand.
    const std::size_t status = answer.find(u"</status>");
    if (status == answer.npos) return std::nullopt;
    return Summary(Utf16ToUtf8(answer.substr(0, status)), RowCount(answer));
}

std::optional<std::string> ExecuteSummary(std::string_view request, std::string_view answer) {
    if (AnswerCode(answer) != 0) return std::nullopt;
    const std::size_t inserted = Count(request, " op=\"1\"");
    const std::size_t updated = Count(request, " op=\"3\"");
    const std::size_t deleted = Count(request, " op=\"2\"") + Count(request, " op=\"4\"");
    if (inserted == 0 && updated == 0 && deleted > 0) return "已删除 " + std::to_string(deleted) + " 条";
    std::string text =
        "已保存：新增 " + std::to_string(inserted) + " 条，修改 " + std::to_string(updated) + " 条";
    if (deleted > 0) text += "，删除 " + std::to_string(deleted) + " 条";
    return text;
}

} // namespace qm::host
