// What the store did with one exchange, read from the request and its answer, for the status bar.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qm::host {

// "已查询 N 条" for a search (read in its wide text), "已保存：新增 a 条，修改 b 条" or "已删除 N 条" for a
// save or delete the store accepted; nothing for a refusal or an answer that cannot be read.
std::optional<std::string> SearchSummary(std::u16string_view answer);
std::optional<std::string> ExecuteSummary(std::string_view request, std::string_view answer);

// The status code of an answer, when it has a readable one.
std::optional<int> AnswerCode(std::string_view answer);

} // namespace qm::host
