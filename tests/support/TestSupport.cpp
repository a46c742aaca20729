#include "support/TestSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace pictoform::test {

TempDir::TempDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "pictoform-test-XXXXXX").string();
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (::mkdtemp(buf.data()) == nullptr) {
        ADD_FAILURE() << "mkdtemp failed: " << std::strerror(errno);
    }
    m_path = buf.data();
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

bool FileExists(const std::string& path) {
    return std::filesystem::exists(path);
}

std::vector<std::string> FilesIn(const std::string& dir) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(dir, ec)) {
        names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

CommandResult Run(const std::vector<std::string>& argv, const std::string& stdinText) {
    CommandResult result;
    int inPipe[2], outPipe[2], errPipe[2];
    if (::pipe(inPipe) != 0 || ::pipe(outPipe) != 0 || ::pipe(errPipe) != 0) return result;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, inPipe[0], 0);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
    for (int fd : {inPipe[0], inPipe[1], outPipe[0], outPipe[1], errPipe[0], errPipe[1]}) {
        posix_spawn_file_actions_addclose(&actions, fd);
    }
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(inPipe[0]);
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    if (spawned != 0) {
        ::close(inPipe[1]);
        ::close(outPipe[0]);
        ::close(errPipe[0]);
        result.err = std::string("cannot start ") + argv[0] + ": " + std::strerror(spawned);
        return result;
    }
    if (!stdinText.empty()) {
        ssize_t ignored = ::write(inPipe[1], stdinText.data(), stdinText.size());
        (void)ignored;
    }
    ::close(inPipe[1]);
    // Read both streams together so that neither pipe fills and stalls the child.
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    int open = 2;
    while (open > 0) {
        if (::poll(fds, 2, -1) < 0) break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            char buf[4096];
            const ssize_t n = ::read(fds[i].fd, buf, sizeof buf);
            if (n > 0) {
                sinks[i]->append(buf, static_cast<size_t>(n));
            } else {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string XcursorgenPath() {
    return PICTOFORM_XCURSORGEN;
}

std::string SystemCursorTheme(const std::string& name) {
    return "/usr/share/icons/" + name + "/cursors";
}

std::string IcotoolPath() {
    return PICTOFORM_ICOTOOL;
}
std::string ConvertPath() {
    return PICTOFORM_CONVERT;
}
std::string PythonPath() {
    return PICTOFORM_PYTHON;
}
std::string CliPath() {
    return PICTOFORM_CLI;
}
std::string WrestoolPath() {
    return PICTOFORM_WRESTOOL;
}
std::string WindresPath(int bits) {
    return bits == 64 ? PICTOFORM_MINGW64_WINDRES : PICTOFORM_MINGW32_WINDRES;
}
std::string MingwLdPath(int bits) {
    return bits == 64 ? PICTOFORM_MINGW64_LD : PICTOFORM_MINGW32_LD;
}

namespace {
bool Missing(const std::string& what) {
    if (std::getenv("PICTOFORM_REQUIRE_ORACLES") != nullptr) {
        ADD_FAILURE() << what << " is required (PICTOFORM_REQUIRE_ORACLES is set) but missing";
    } else {
        // Records a skip for the running test; the caller returns from it.
        ::testing::internal::AssertHelper(::testing::TestPartResult::kSkip, __FILE__, __LINE__,
                                          ("needs " + what).c_str()) = ::testing::Message();
    }
    return false;
}
} // namespace

bool OracleAvailable(const std::string& name, const std::string& path) {
    if (!path.empty() && path.find("NOTFOUND") == std::string::npos &&
        ::access(path.c_str(), X_OK) == 0) {
        return true;
    }
    return Missing(name);
}

bool PillowAvailable() {
    static const int available = [] {
        const std::string py = PythonPath();
        if (py.empty() || py.find("NOTFOUND") != std::string::npos) return 0;
        return Run({py, "-c", "import PIL.Image"}).status == 0 ? 1 : 0;
    }();
    return available == 1 || Missing("Python 3 with Pillow");
}

uint16_t U16At(const std::vector<uint8_t>& b, size_t offset) {
    return static_cast<uint16_t>(b.at(offset) | (b.at(offset + 1) << 8));
}

uint32_t U32At(const std::vector<uint8_t>& b, size_t offset) {
    return static_cast<uint32_t>(U16At(b, offset)) |
           (static_cast<uint32_t>(U16At(b, offset + 2)) << 16);
}

} // namespace pictoform::test
