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
    auto candidate = [&] { return root + "/" + std::to_string(draw() % 1000); };
    std::string path = candidate();
    for (int draws = 1; fs::exists(path, ec); ++draws) {
        if (draws > 500) {
            // Every number is taken, most likely by folders that crashed runs
            // left behind; an empty root can be started afresh.
            fs::remove(root, ec);
            fs::create_directories(root, ec);
            path = candidate();
            break;
        }
        path = candidate();
    }
    // mkdir, not create_directories: an existing folder must not be taken over.
    if (::mkdir(path.c_str(), 0700) != 0) {
        error = "Cannot create the history folder " + path + ": " + std::strerror(errno);
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
