#pragma once
// The folder that holds this run's undo history files: a numbered folder
// under the history root, made at start-up and removed at exit, so that two
// copies of the program running at once never share history files.

#include <functional>
#include <string>

#include "io/RunLock.h"

namespace pictoform {

class RunHistoryDir {
public:
    // Draws numbers from 0 to 999; the program seeds it with the time.
    using NumberSource = std::function<unsigned()>;

    RunHistoryDir() = default;
    RunHistoryDir(const RunHistoryDir&) = delete;
    RunHistoryDir& operator=(const RunHistoryDir&) = delete;
    // Removes the folder when it is empty; one that still holds files stays.
    ~RunHistoryDir();

    // Makes the root when it is missing, then a folder named by a number
    // that no folder there has yet. After 500 numbers that are all taken the
    // root is cleared (only if empty) and one last number is drawn. False,
    // with the reason in error, when no folder could be made.
    [[nodiscard]] bool Create(const std::string& root, const NumberSource& draw,
                              std::string& error);
    [[nodiscard]] bool Create(const std::string& root, std::string& error);

    [[nodiscard]] const std::string& Path() const { return m_path; }

private:
    std::string m_path;
    // Held while the run lives, beside the folder ("<number>.lock"), so that
    // a later start can tell a dead run's folder from a live one's.
    RunLock m_lock;
};

} // namespace pictoform
