#pragma once
// Helpers shared by the tests: temporary folders, files, running other
// programs (the oracles and our own command-line tool).

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace pictoform::test {

// A fresh folder removed with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    [[nodiscard]] const std::string& Path() const { return m_path; }
    [[nodiscard]] std::string File(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

std::vector<uint8_t> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
bool FileExists(const std::string& path);
// The names in a folder, sorted; none when there is no such folder.
std::vector<std::string> FilesIn(const std::string& dir);

struct CommandResult {
    int status = -1; // exit status, or -1 when the program did not exit normally
    std::string out; // standard output
    std::string err; // standard error
};
// Runs argv[0] with the arguments, no shell involved.
CommandResult Run(const std::vector<std::string>& argv, const std::string& stdinText = "");

// Paths of the oracles found at configure time; empty when missing.
std::string IcotoolPath();
std::string ConvertPath();
std::string PythonPath(); // a system python3 that has Pillow
std::string CliPath();    // our pictoform-cli
std::string WrestoolPath();
std::string XcursorgenPath();
// The cursors folder of a cursor theme Debian installs into /usr/share/icons
// (xcursor-themes: redglass, whiteglass, handhelds; dmz-cursor-theme:
// DMZ-White, DMZ-Black; adwaita-icon-theme: Adwaita).
std::string SystemCursorTheme(const std::string& name);
// The MinGW-w64 resource compiler and linker for 32- or 64-bit modules.
std::string WindresPath(int bits);
std::string MingwLdPath(int bits);

// True when the oracle is usable. When it is not, the calling test is skipped,
// or fails when PICTOFORM_REQUIRE_ORACLES is set in the environment.
bool OracleAvailable(const std::string& name, const std::string& path);
bool PillowAvailable();

// Little-endian field helpers for checking written bytes.
uint16_t U16At(const std::vector<uint8_t>& b, size_t offset);
uint32_t U32At(const std::vector<uint8_t>& b, size_t offset);

} // namespace pictoform::test

// Returns from the calling test when an oracle is missing (see OracleAvailable).
#define PICTOFORM_REQUIRE(available)                                                               \
    do {                                                                                           \
        if (!(available)) return;                                                                  \
    } while (0)
#define PICTOFORM_REQUIRE_ICOTOOL()                                                                \
    PICTOFORM_REQUIRE(                                                                             \
        ::pictoform::test::OracleAvailable("icotool", ::pictoform::test::IcotoolPath()))
#define PICTOFORM_REQUIRE_CONVERT()                                                                \
    PICTOFORM_REQUIRE(::pictoform::test::OracleAvailable("ImageMagick convert",                    \
                                                         ::pictoform::test::ConvertPath()))
#define PICTOFORM_REQUIRE_WRESTOOL()                                                               \
    PICTOFORM_REQUIRE(                                                                             \
        ::pictoform::test::OracleAvailable("wrestool", ::pictoform::test::WrestoolPath()))
// The resource compiler and the linker that build a test library of `bits` bits.
#define PICTOFORM_REQUIRE_MINGW(bits)                                                              \
    PICTOFORM_REQUIRE(                                                                             \
        ::pictoform::test::OracleAvailable("MinGW-w64 windres",                                    \
                                           ::pictoform::test::WindresPath(bits)) &&                \
        ::pictoform::test::OracleAvailable("MinGW-w64 ld", ::pictoform::test::MingwLdPath(bits)))
#define PICTOFORM_REQUIRE_PILLOW() PICTOFORM_REQUIRE(::pictoform::test::PillowAvailable())
