#pragma once
// An output file that is replaced all at once: the data goes to a temporary
// file beside it (".NAME.vireo-tmp-PID", mode 0600), which is renamed over
// NAME only after it was written and synced. Until then NAME is untouched;
// a run that fails or is killed never leaves a partial NAME behind.
#include <stdexcept>
#include <string>

namespace vireo_runner {

// A failure of the runner itself (bad script, unusable output), with its message.
class RunError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class AtomicOutput {
public:
    // Checks that `final_path` can be written, removes temporary files that
    // killed runs left for it, and creates this run's temporary file.
    // Throws RunError.
    explicit AtomicOutput(std::string final_path);
    ~AtomicOutput();  // removes the temporary file unless committed
    AtomicOutput(const AtomicOutput&) = delete;
    AtomicOutput& operator=(const AtomicOutput&) = delete;

    const std::string& temp_path() const { return temp_path_; }
    const std::string& final_path() const { return final_path_; }

    // Renames the (closed, synced) temporary file over the final path, keeping
    // the mode of a file it replaces, and syncs the directory. Throws RunError.
    void commit();
    // Removes the temporary file now.
    void discard() noexcept;

private:
    std::string final_path_;
    std::string dir_;
    std::string temp_path_;
    bool pending_ = false;
};

// The prefix of temporary file names for `base` (".base.vireo-tmp-").
std::string temp_prefix(const std::string& base);

}  // namespace vireo_runner
