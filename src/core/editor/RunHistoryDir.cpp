#include "editor/RunHistoryDir.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

#include <sys/stat.h>

namespace pictoform {

namespace fs = std::filesystem;

RunHistoryDir::~RunHistoryDir() {
    if (m_path.empty()) return;
    std::error_code ignored;
    fs::remove(m_path, ignored); // only succeeds on an empty folder
    // The lock file stays: removing it could let a run that is starting
    // lock a file no one else can find.
}

bool RunHistoryDir::Create(const std::string& root, const NumberSource& draw, std::string& error) {
    std::error_code ec;
    if (!fs::is_directory(root, ec)) {
        fs::create_directories(root, ec);
        if (ec) {
            error = "Cannot create the history folder " + root + ": " + ec.message();
            return false;
        }
    }
    // A number is free when no folder has it and no live run holds its lock.
    auto candidate = [&] { return root + "/" + std::to_string(draw() % 1000); };
    const auto taken = [&](const std::string& path) {
        return fs::exists(path, ec) || !m_lock.Take(path + ".lock");
    };
    std::string path = candidate();
    for (int draws = 1; taken(path); ++draws) {
        if (draws > 500) {
            // Every number is taken, most likely by folders that crashed runs
            // left behind; an empty root can be started afresh.
            fs::remove(root, ec);
            fs::create_directories(root, ec);
            path = candidate();
            (void)m_lock.Take(path + ".lock");
            break;
        }
        path = candidate();
    }
    // mkdir, not create_directories: an existing folder must not be taken over.
    if (::mkdir(path.c_str(), 0700) != 0) {
        error = "Cannot create the history folder " + path + ": " + std::strerror(errno);
        m_lock.Release(false);
        return false;
    }
    m_path = path;
    return true;
}

bool RunHistoryDir::Create(const std::string& root, std::string& error) {
    std::mt19937 engine(
        static_cast<unsigned>(std::chrono::system_clock::now().time_since_epoch().count()));
    return Create(
        root, [&engine] { return static_cast<unsigned>(engine()); }, error);
}

} // namespace pictoform
