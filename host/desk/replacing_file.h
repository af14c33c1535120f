// A file written beside its target under a temporary name and moved over the target only when it
// is complete: a failed or cancelled write leaves the target as it was and no half-written file.
#pragma once

#include <string>

namespace qm::desk {

class ReplacingFile {
public:
    // Creates the temporary file in the target's folder; throws std::runtime_error when it cannot.
    explicit ReplacingFile(std::string target);
    ~ReplacingFile(); // removes the temporary file unless committed
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    const std::string& TempPath() const { return FTemp; }
    const std::string& Target() const { return FTarget; }
    // Flushes the written file to disk and renames it over the target; throws when it cannot.
    void Commit();

private:
    std::string FTarget;
    std::string FTemp;
    bool FCommitted = false;
};

// "无法写入文件“PATH”：REASON", the one wording for a file that cannot be written.
std::string CannotWrite(const std::string& path, const std::string& reason);

} // namespace qm::desk
